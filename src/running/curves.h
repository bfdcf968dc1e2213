// Curves as the running of a train meets them: the radius of each curve
// class, and the one rule for the speed a canted curve allows. The
// consistency warnings and the running-time calculation both take these,
// so both judge a curve alike.
#ifndef SCENARIO_RUNNING_CURVES_H_
#define SCENARIO_RUNNING_CURVES_H_

#include <optional>
#include <string_view>

namespace scenario {

// Gravity, m/s^2.
constexpr double gravity_ms2 = 9.81;

// The speed through a curve of radius R is bounded by the cant the track
// carries plus the cant deficiency the train may run with:
//   v = sqrt(R * (cant + deficiency) * g / 1500 mm)
// (1500 mm is the distance between the rails' running circles on standard
// gauge). A curve record carries no cant of its own, so every curve takes
// `cant_mm`.
struct curve_rule {
  // A curve of a conventional mixed-traffic line, canted well within the
  // 160 mm that such lines allow.
  double cant_mm = 100;
  // The deficiency ordinary passenger stock may run with on conventional
  // lines (130 mm, about 0.85 m/s^2 of uncompensated lateral acceleration).
  double cant_deficiency_mm = 130;

  // The highest speed through a curve of `radius_m` metres, in m/s.
  double limit_ms(double radius_m) const;
};

// The radius of the curve record `key` (its class digit gives the
// curvature the plan is drawn with: radius 1 / curvature, about 10000,
// 5000, 2500, 1000, 500 and 333 m for the classes 1 to 6); none when the
// key names no class.
std::optional<double> curve_radius_m(std::string_view key);

}  // namespace scenario

#endif  // SCENARIO_RUNNING_CURVES_H_
