#include "running/curves.h"

#include <cmath>

#include "compiler/plan.h"

namespace scenario {

std::optional<double> curve_radius_m(std::string_view key) {
  const std::optional<double> k = curvature_of(key);
  if (!k || *k == 0) return std::nullopt;
  return 1.0 / std::fabs(*k);
}

double curve_speed_limit_ms(double radius_m) {
  return std::sqrt(lateral_acceleration_ms2 * radius_m);
}

}  // namespace scenario
