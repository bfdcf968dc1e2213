#include "running/curves.h"

#include <cmath>

#include "compiler/plan.h"

namespace scenario {

// The distance between the running circles of the two rails, in mm, on
// standard gauge: cant over it is the sine of the track's tilt.
constexpr double rail_base_mm = 1500;

double curve_rule::limit_ms(double radius_m) const {
  return std::sqrt(radius_m * (cant_mm + cant_deficiency_mm) * gravity_ms2 /
                   rail_base_mm);
}

std::optional<double> curve_radius_m(std::string_view key) {
  const std::optional<double> k = curvature_of(key);
  if (!k || *k == 0) return std::nullopt;
  return 1.0 / std::fabs(*k);
}

}  // namespace scenario
