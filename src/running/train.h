// The train as the running-time calculation sees it: masses, length, power,
// the acceleration and braking it can give, its resistance to motion, and
// the regularity margin planned on top of its fastest run. Every figure is
// a named parameter with a default for a loco-hauled regional train; the
// scenario gives the number of cars and the braked-mass percentage, and
// options or a small JSON file override any of them.
#ifndef SCENARIO_RUNNING_TRAIN_H_
#define SCENARIO_RUNNING_TRAIN_H_

#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace scenario {

// Gravity, m/s^2.
constexpr double gravity_ms2 = 9.81;

struct train_parameters {
  // A four-axle electric locomotive of the regional kind: 70 to 90 t,
  // about 16 m over buffers, 3 to 3.5 MW at the wheel.
  double loco_mass_t = 80;
  double loco_length_m = 16;
  double power_kw = 3000;
  // Coaches of the standard 26.4 m length, about 40 t each with their load.
  double car_mass_t = 40;
  double car_length_m = 26.4;
  int cars = 7;  // the scenario's own count when it gives one
  // Starting acceleration: the tractive effort is min(m * a_max, P / v). A
  // loco-hauled train starts at about 0.5 m/s^2 (the locomotive's adhesion
  // limit spread over the whole train's mass).
  double max_acceleration_ms2 = 0.5;
  // Resistance to motion per tonne, A + B v + C v^2 (v in m/s), figures
  // typical of loco-hauled passenger stock.
  double davis_a_n_per_t = 8.8;
  double davis_b_n_per_t_per_ms = 0.26;
  double davis_c_n_per_t_per_ms2 = 0.030;
  // Rotating masses: the mass to accelerate is this factor times the
  // train's mass.
  double inertia_factor = 1.05;
  // Curve resistance as an equivalent gradient of k / R per mille, k = 800
  // for standard gauge.
  double curve_resistance_k = 800;
  // Braking. The braked-mass percentage (lambda, "percentuale massa
  // frenata") is the braking effort of the train stated as a share of its
  // mass; the planning deceleration grows in proportion to it:
  //   b = deceleration_at_100 * lambda / 100,
  // anchored at 0.5 m/s^2 for 100 %, the usual timetable figure for
  // service braking.
  double braked_mass_percent = 100;  // the scenario's own when it gives one
  double deceleration_at_100_ms2 = 0.5;

  double mass_t() const { return loco_mass_t + cars * car_mass_t; }
  double length_m() const { return loco_length_m + cars * car_length_m; }
  double deceleration_ms2() const {
    return deceleration_at_100_ms2 * braked_mass_percent / 100;
  }
};

// One band of the regularity margin: up to `up_to_kmh` (inclusive) of the
// permitted speed, `percent` of the running time is added.
struct margin_band {
  double up_to_kmh = 0;  // the last band takes every speed above
  double percent = 0;
};

// The regularity margin, planned per speed band plus a fixed allowance per
// distance; a leg whose scheduled time exceeds `slack_factor` times the run
// with margin is called slack.
struct margin_parameters {
  std::vector<margin_band> bands = {{140, 4}, {160, 5}, {200, 6}, {1e9, 7}};
  double minutes_per_100km = 1.5;
  double slack_factor = 2;

  double percent_at(double kmh) const;
};

// The train and margin a calculation uses.
struct running_parameters {
  train_parameters train;
  margin_parameters margin;
};

// Takes the number of cars (entry 84 "numero vetture") and the braked-mass
// percentage (entry 84 "percentuale massa frenata") from a compiled model,
// where it gives them (a value of 0 leaves the default).
void take_from_scenario(const scenario_model& m, train_parameters& t);

// Applies a JSON object of overrides, e.g. {"power_kw": 2000, "cars": 5,
// "margin": {"bands": [[140, 4], [1e9, 7]], "minutes_per_100km": 1.5}};
// the names are those of train_parameters and margin_parameters. Returns
// false with `why` for malformed text, an unknown name or a value out of
// range.
bool apply_json_overrides(std::string_view json_text, running_parameters& p,
                          std::string* why);

// Parses a list of margin bands "140:4,160:5,200:6,*:7" (speed band upper
// bound in km/h, then percent; "*" for every speed above).
bool parse_margin_bands(std::string_view text, std::vector<margin_band>& out,
                        std::string* why);

// Checks that every value is usable (positive masses, power, decelerations,
// ...). Returns false with `why` otherwise.
bool valid(const running_parameters& p, std::string* why);

// One sentence naming every value used, for every output.
std::string describe(const running_parameters& p);

}  // namespace scenario

#endif  // SCENARIO_RUNNING_TRAIN_H_
