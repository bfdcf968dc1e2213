// Curves as the running of a train meets them: the radius of each curve
// class and the speed a curve allows. The consistency warnings and the
// running-time calculation both take these, so both judge a curve alike.
#ifndef SCENARIO_RUNNING_CURVES_H_
#define SCENARIO_RUNNING_CURVES_H_

#include <optional>
#include <string_view>

namespace scenario {

// The lateral (uncompensated) acceleration a curve may ask of a train at
// its speed. 1.0 m/s^2 is the usual comfort limit for passenger trains.
constexpr double lateral_acceleration_ms2 = 1.0;

// The radius of the curve record `key` (its class digit gives the
// curvature the plan is drawn with: radius 1 / curvature, about 10000,
// 5000, 2500, 1000, 500 and 333 m for the classes 1 to 6); none when the
// key names no class.
std::optional<double> curve_radius_m(std::string_view key);

// The highest speed through a curve of `radius_m` metres, in m/s:
// sqrt(a * r) with the lateral acceleration above.
double curve_speed_limit_ms(double radius_m);

}  // namespace scenario

#endif  // SCENARIO_RUNNING_CURVES_H_
