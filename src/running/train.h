// The train as the running-time calculation sees it: masses, length, the
// tractive effort its locomotive can give, its top speed, its resistance to
// motion, its braking, the curve speeds it may run, and the regularity
// margin planned on top of its fastest run. Every figure is a named
// parameter with a default for a loco-hauled regional train; the scenario
// gives the number of cars and the braked-mass percentage, and options or a
// small JSON file override any of them. The laws of force live here.
#ifndef SCENARIO_RUNNING_TRAIN_H_
#define SCENARIO_RUNNING_TRAIN_H_

#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "model/translation.h"
#include "running/curves.h"

namespace scenario {

struct train_parameters {
  // A four-axle electric locomotive of the regional kind: 70 to 90 t, all
  // of it on driven axles, about 16 m over buffers, 3 to 3.5 MW at the
  // wheel, 200 to 300 kN of starting tractive effort, built for 160 km/h.
  double loco_mass_t = 80;
  double loco_length_m = 16;
  double power_kw = 3000;
  double max_tractive_effort_kn = 250;
  // The coefficient of adhesion at standstill. It falls with speed after
  // Curtius and Kniffler (dry rail):
  //   mu(V) = 7.5 / (V + 44) + 0.161, V in km/h,
  // which gives 0.33 at standstill; mu(V) here is that curve scaled so that
  // it starts at this value (0.2 stands for wet rail, say).
  double adhesion = 0.33;
  // The top speed of the rolling stock: coaches and locomotive of the
  // regional kind are built for 160 km/h.
  double max_speed_kmh = 160;
  // Coaches of the standard 26.4 m length, about 40 t each with their load.
  double car_mass_t = 40;
  double car_length_m = 26.4;
  int cars = 7;  // the scenario's own count when it gives one
  // Resistance to motion: the rolling and mechanical terms per tonne of the
  // whole train, A + B v (v in m/s), and the air: a term for the front of
  // the train plus a small one per car (their sides and gaps), times v^2.
  // The front term is rho/2 * Cd * A for about 8 m^2 of effective area;
  // together the figures are those of loco-hauled passenger stock.
  double davis_a_n_per_t = 8.8;
  double davis_b_n_per_t_per_ms = 0.26;
  double air_front_n_per_ms2 = 5.0;
  double air_per_car_n_per_ms2 = 0.8;
  // Rotating masses: the mass to accelerate is each vehicle's mass times
  // its factor. Motors and gears make a locomotive's large; a coach's
  // wheelsets add a few per cent.
  double loco_inertia_factor = 1.15;
  double car_inertia_factor = 1.04;
  // Curve resistance as an equivalent gradient of k / R per mille, k = 800
  // for standard gauge, the usual simplified figure.
  double curve_resistance_k = 800;
  // Braking. The braked-mass percentage (lambda, "percentuale massa
  // frenata") is the braking effort of the train stated as a share of its
  // mass; the planning deceleration on the level grows in proportion to
  // it, b = deceleration_at_100 * lambda / 100, anchored at 0.5 m/s^2 for
  // 100 %, the usual timetable figure for service braking. The gradient
  // under the train adds g * i to it (i in parts per unit, negative down).
  double braked_mass_percent = 100;  // the scenario's own when it gives one
  double deceleration_at_100_ms2 = 0.5;
  // Curves: the cant every curve is taken to carry and the cant deficiency
  // the train may run with (see curve_rule).
  double cant_mm = curve_rule{}.cant_mm;
  double cant_deficiency_mm = curve_rule{}.cant_deficiency_mm;

  double mass_t() const { return loco_mass_t + cars * car_mass_t; }
  double length_m() const { return loco_length_m + cars * car_length_m; }
  // The mass to accelerate, rotating masses included.
  double accelerated_mass_t() const {
    return loco_mass_t * loco_inertia_factor +
           cars * car_mass_t * car_inertia_factor;
  }
  double deceleration_ms2() const {
    return deceleration_at_100_ms2 * braked_mass_percent / 100;
  }
  double max_speed_ms() const { return max_speed_kmh / 3.6; }
  // The v^2 coefficient of the whole train, N / (m/s)^2.
  double air_n_per_ms2() const {
    return air_front_n_per_ms2 + cars * air_per_car_n_per_ms2;
  }
  curve_rule curves() const { return {cant_mm, cant_deficiency_mm}; }
  // The coefficient of adhesion at `v_ms`.
  double adhesion_at(double v_ms) const;
  // The tractive effort at `v_ms`, N: the least of adhesion times the
  // locomotive's weight, the maximum tractive effort and power over speed.
  double tractive_effort_n(double v_ms) const;
  // The resistance to motion on the level and straight, N.
  double resistance_n(double v_ms) const;
};

// The least deceleration a braking curve uses, m/s^2: a gradient that
// leaves the brakes less than this is braked at this rate.
constexpr double least_braking_ms2 = 0.05;

// Below this speed (1 km/h, in m/s) a train that gains less than
// `least_starting_acceleration_ms2` is at a stand: it cannot get going.
constexpr double crawl_speed_ms = 1 / 3.6;
constexpr double least_starting_acceleration_ms2 = 0.001;

// One band of the regularity margin: up to `up_to_kmh` (inclusive) of the
// permitted speed, `percent` of the running time is added.
struct margin_band {
  double up_to_kmh = 0;  // the last band takes every speed above
  double percent = 0;
};

// Written for "every speed above" ("*" in a list, null in JSON).
constexpr double any_speed_kmh = 1e9;

// The regularity margin, planned per speed band plus a fixed allowance per
// distance; a leg whose scheduled time exceeds `slack_factor` times the run
// with margin is called slack.
struct margin_parameters {
  std::vector<margin_band> bands = {
      {140, 4}, {160, 5}, {200, 6}, {any_speed_kmh, 7}};
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
// "margin": {"bands": [[140, 4], [null, 7]], "minutes_per_100km": 1.5}};
// the names are those of train_parameters and margin_parameters. Returns
// false with `why` for malformed text, an unknown name or a value out of
// range (the checks of `valid`). The messages are in the language of `tr`,
// as are those below; the names in them stay as the JSON writes them.
bool apply_json_overrides(std::string_view json_text, running_parameters& p,
                          const translator& tr, std::string* why);

// Parses a list of margin bands "140:4,160:5,200:6,*:7" (speed band upper
// bound in km/h, then percent; "*" for every speed above).
bool parse_margin_bands(std::string_view text, std::vector<margin_band>& out,
                        const translator& tr, std::string* why);

// Checks that every value, and every total derived from them, is a finite
// number within the range the README states. Returns false with `why`
// naming the value and its range otherwise.
bool valid(const running_parameters& p, const translator& tr, std::string* why);

// One sentence naming every value used, for every output.
std::string describe(const running_parameters& p, const translator& tr);

}  // namespace scenario

#endif  // SCENARIO_RUNNING_TRAIN_H_
