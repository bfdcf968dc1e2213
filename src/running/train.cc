#include "running/train.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace scenario {
namespace {

using nlohmann::json;

// A number with up to three decimals, without trailing zeros; in full
// when it has more digits than that shows.
std::string num(double v) {
  char buf[64];
  if (v != 0 && (std::fabs(v) >= 1e9 || std::fabs(v) < 1e-3)) {
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
  }
  std::snprintf(buf, sizeof buf, "%.3f", v);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

// A value of the train by its JSON name, with the range it must keep.
struct named_number {
  std::string_view name;
  double train_parameters::*field;
  double least, most;
  std::string_view unit;
};

constexpr named_number train_numbers[] = {
    {"loco_mass_t", &train_parameters::loco_mass_t, 1, 500, "t"},
    {"loco_length_m", &train_parameters::loco_length_m, 0, 100, "m"},
    {"power_kw", &train_parameters::power_kw, 10, 50000, "kW"},
    {"max_tractive_effort_kn", &train_parameters::max_tractive_effort_kn, 1,
     2000, "kN"},
    {"adhesion", &train_parameters::adhesion, 0.01, 0.6, ""},
    {"max_speed_kmh", &train_parameters::max_speed_kmh, 5, 500, "km/h"},
    {"car_mass_t", &train_parameters::car_mass_t, 0, 200, "t"},
    {"car_length_m", &train_parameters::car_length_m, 0, 100, "m"},
    {"davis_a_n_per_t", &train_parameters::davis_a_n_per_t, 0, 200, "N/t"},
    {"davis_b_n_per_t_per_ms", &train_parameters::davis_b_n_per_t_per_ms, 0, 50,
     "N/t per m/s"},
    {"air_front_n_per_ms2", &train_parameters::air_front_n_per_ms2, 0, 200,
     "N per (m/s)^2"},
    {"air_per_car_n_per_ms2", &train_parameters::air_per_car_n_per_ms2, 0, 50,
     "N per (m/s)^2"},
    {"loco_inertia_factor", &train_parameters::loco_inertia_factor, 1, 2, ""},
    {"car_inertia_factor", &train_parameters::car_inertia_factor, 1, 2, ""},
    {"curve_resistance_k", &train_parameters::curve_resistance_k, 0, 2000, ""},
    // Real trains carry up to about 250 % (passenger stock with magnetic
    // track brakes); beyond, the deceleration would be none a train gives.
    {"braked_mass_percent", &train_parameters::braked_mass_percent, 1, 250,
     "%"},
    {"deceleration_at_100_ms2", &train_parameters::deceleration_at_100_ms2,
     0.05, 1.5, "m/s^2"},
    {"cant_mm", &train_parameters::cant_mm, 0, 200, "mm"},
    {"cant_deficiency_mm", &train_parameters::cant_deficiency_mm, 10, 300,
     "mm"},
};

constexpr int most_cars = 100;
// The planning deceleration on the level (lambda times the figure at
// 100 %) stays within what service and emergency brakes give.
constexpr double least_deceleration_ms2 = 0.05;
constexpr double most_deceleration_ms2 = 1.5;

// Names of earlier versions, with what took their place.
struct retired_name {
  std::string_view name, instead;
};
constexpr retired_name retired_names[] = {
    {"max_acceleration_ms2",
     N_("the starting force comes from \"adhesion\" and "
        "\"max_tractive_effort_kn\"")},
    {"inertia_factor",
     N_("use \"loco_inertia_factor\" and \"car_inertia_factor\"")},
    {"davis_c_n_per_t_per_ms2",
     N_("use \"air_front_n_per_ms2\" and \"air_per_car_n_per_ms2\"")},
};

bool fail(std::string* why, std::string text) {
  *why = std::move(text);
  return false;
}

// "NAME must be from LEAST to MOST [UNIT]; it is VALUE".
std::string out_of_range(std::string_view name, const std::string& least,
                         const std::string& most, std::string_view unit,
                         const std::string& value, const translator& tr) {
  return unit.empty() ? tr.format("%s must be from %s to %s; it is %s", name,
                                  least, most, value)
                      : tr.format("%s must be from %s to %s %s; it is %s", name,
                                  least, most, unit, value);
}

bool read_number(const json& v, std::string_view name, double& out,
                 const translator& tr, std::string* why) {
  if (!v.is_number()) {
    return fail(why, tr.format("\"%s\" must be a number", name));
  }
  out = v.get<double>();
  return true;
}

// A whole number of cars, checked before it is narrowed.
bool read_cars(const json& v, int& out, const translator& tr,
               std::string* why) {
  const std::string bound =
      tr.format("\"cars\" must be a whole number from 0 to %d", most_cars);
  if (v.is_number_unsigned()) {
    if (v.get<uint64_t>() > most_cars) return fail(why, bound);
  } else if (v.is_number_integer()) {
    const auto n = v.get<int64_t>();
    if (n < 0 || n > most_cars) return fail(why, bound);
  } else {
    return fail(why, bound);
  }
  out = v.get<int>();
  return true;
}

bool read_bands(const json& v, std::vector<margin_band>& out,
                const translator& tr, std::string* why) {
  if (!v.is_array() || v.empty()) {
    return fail(why,
                tr("\"bands\" must be a list of [up to km/h, percent] pairs"));
  }
  std::vector<margin_band> bands;
  for (const json& b : v) {
    if (!b.is_array() || b.size() != 2 ||
        !(b[0].is_number() || b[0].is_null()) || !b[1].is_number()) {
      return fail(why,
                  tr("each band is a pair [up to km/h, percent], with null "
                     "for every speed above"));
    }
    bands.push_back({b[0].is_null() ? any_speed_kmh : b[0].get<double>(),
                     b[1].get<double>()});
  }
  out = std::move(bands);
  return true;
}

bool apply_margin(const json& j, margin_parameters& m, const translator& tr,
                  std::string* why) {
  if (!j.is_object()) return fail(why, tr("\"margin\" must be an object"));
  for (const auto& [key, v] : j.items()) {
    if (key == "minutes_per_100km") {
      if (!read_number(v, key, m.minutes_per_100km, tr, why)) return false;
    } else if (key == "slack_factor") {
      if (!read_number(v, key, m.slack_factor, tr, why)) return false;
    } else if (key == "bands") {
      if (!read_bands(v, m.bands, tr, why)) return false;
    } else {
      return fail(why, tr.format("unknown margin parameter \"%s\"", key));
    }
  }
  return true;
}

bool apply_train_value(const std::string& key, const json& v,
                       train_parameters& t, const translator& tr,
                       std::string* why) {
  if (key == "cars") return read_cars(v, t.cars, tr, why);
  for (const named_number& n : train_numbers) {
    if (n.name == key) return read_number(v, key, t.*n.field, tr, why);
  }
  for (const retired_name& r : retired_names) {
    if (r.name == key) {
      return fail(why, tr.format("\"%s\" is no longer a value: %s", key,
                                 tr(r.instead.data())));
    }
  }
  return fail(why, tr.format("unknown train parameter \"%s\"", key));
}

bool valid_margin(const margin_parameters& m, const translator& tr,
                  std::string* why) {
  if (m.bands.empty()) return fail(why, tr("the margin needs a band"));
  for (size_t i = 0; i < m.bands.size(); ++i) {
    const margin_band& b = m.bands[i];
    if (!std::isfinite(b.percent) || b.percent < 0 || b.percent > 100) {
      return fail(why,
                  tr.format("margin percentages must be from 0 to 100; one "
                            "is %s",
                            num(b.percent)));
    }
    if (!std::isfinite(b.up_to_kmh) || b.up_to_kmh <= 0 ||
        b.up_to_kmh > any_speed_kmh) {
      return fail(why,
                  tr.format("a margin band's speed must be above 0 km/h; one "
                            "is %s",
                            num(b.up_to_kmh)));
    }
    if (i > 0 && b.up_to_kmh <= m.bands[i - 1].up_to_kmh) {
      return fail(why, tr("the margin bands must rise in speed"));
    }
  }
  if (!std::isfinite(m.minutes_per_100km) || m.minutes_per_100km < 0 ||
      m.minutes_per_100km > 60) {
    return fail(why, out_of_range("minutes_per_100km", "0", "60", "",
                                  num(m.minutes_per_100km), tr));
  }
  if (!std::isfinite(m.slack_factor) || m.slack_factor < 1 ||
      m.slack_factor > 100) {
    return fail(why, out_of_range("slack_factor", "1", "100", "",
                                  num(m.slack_factor), tr));
  }
  return true;
}

// The totals the values make: finite and within what the calculation
// takes for a train.
bool valid_totals(const train_parameters& t, const translator& tr,
                  std::string* why) {
  const double b = t.deceleration_ms2();
  if (!(b >= least_deceleration_ms2 && b <= most_deceleration_ms2)) {
    return fail(why, tr.format("the deceleration on the level "
                               "(braked_mass_percent %s %% of %s m/s^2) is %s "
                               "m/s^2; it must be from %s to %s m/s^2",
                               num(t.braked_mass_percent),
                               num(t.deceleration_at_100_ms2), num(b),
                               num(least_deceleration_ms2),
                               num(most_deceleration_ms2)));
  }
  const double totals[] = {t.mass_t(), t.length_m(), t.accelerated_mass_t(),
                           t.air_n_per_ms2(), t.tractive_effort_n(0)};
  for (double v : totals) {
    if (!std::isfinite(v) || v < 0) {
      return fail(why, tr.format("the train's totals are out of range (mass "
                                 "%s t, length %s m)",
                                 num(t.mass_t()), num(t.length_m())));
    }
  }
  return true;
}

}  // namespace

double train_parameters::adhesion_at(double v_ms) const {
  // Curtius and Kniffler, scaled to start at `adhesion`.
  constexpr double at_rest = 7.5 / 44 + 0.161;
  return adhesion * (7.5 / (v_ms * 3.6 + 44) + 0.161) / at_rest;
}

double train_parameters::tractive_effort_n(double v_ms) const {
  const double grip = adhesion_at(v_ms) * loco_mass_t * 1000 * gravity_ms2;
  double f = std::min(grip, max_tractive_effort_kn * 1000);
  if (v_ms > 0) f = std::min(f, power_kw * 1000 / v_ms);
  return f;
}

double train_parameters::resistance_n(double v_ms) const {
  return (davis_a_n_per_t + davis_b_n_per_t_per_ms * v_ms) * mass_t() +
         air_n_per_ms2() * v_ms * v_ms;
}

double margin_parameters::percent_at(double kmh) const {
  for (const margin_band& b : bands) {
    if (kmh <= b.up_to_kmh) return b.percent;
  }
  return bands.empty() ? 0 : bands.back().percent;
}

void take_from_scenario(const scenario_model& m, train_parameters& t) {
  const voce& general = m.voci[voce_index::treno_generale];
  if (general.posizione > 0) t.cars = general.posizione;
  if (general.inizio > 0) t.braked_mass_percent = general.inizio;
}

bool apply_json_overrides(std::string_view json_text, running_parameters& p,
                          const translator& tr, std::string* why) {
  const json j = json::parse(json_text, nullptr, /*allow_exceptions=*/false);
  if (j.is_discarded() || !j.is_object()) {
    return fail(why, tr("not a JSON object"));
  }
  for (const auto& [key, v] : j.items()) {
    if (key == "margin") {
      if (!apply_margin(v, p.margin, tr, why)) return false;
    } else if (!apply_train_value(key, v, p.train, tr, why)) {
      return false;
    }
  }
  return valid(p, tr, why);
}

bool parse_margin_bands(std::string_view text, std::vector<margin_band>& out,
                        const translator& tr, std::string* why) {
  std::vector<margin_band> bands;
  auto number = [](std::string_view t, double& v) {
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return r.ec == std::errc{} && r.ptr == t.data() + t.size() && !t.empty();
  };
  while (!text.empty()) {
    const size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view{}
                                           : text.substr(comma + 1);
    const size_t colon = item.find(':');
    margin_band b;
    if (colon == std::string_view::npos ||
        !number(item.substr(colon + 1), b.percent) ||
        !(item.substr(0, colon) == "*"
              ? (b.up_to_kmh = any_speed_kmh, true)
              : number(item.substr(0, colon), b.up_to_kmh))) {
      return fail(why, tr.format("\"%s\" is no band; write SPEED:PERCENT, "
                                 "e.g. 140:4,*:7",
                                 item));
    }
    if (!bands.empty() && b.up_to_kmh <= bands.back().up_to_kmh) {
      return fail(why, tr("the bands must rise in speed"));
    }
    bands.push_back(b);
  }
  if (bands.empty()) return fail(why, tr("no margin band"));
  out = std::move(bands);
  return true;
}

bool valid(const running_parameters& p, const translator& tr,
           std::string* why) {
  const train_parameters& t = p.train;
  for (const named_number& n : train_numbers) {
    const double v = t.*n.field;
    if (!std::isfinite(v) || v < n.least || v > n.most) {
      return fail(why, out_of_range(n.name, num(n.least), num(n.most), n.unit,
                                    num(v), tr));
    }
  }
  if (t.cars < 0 || t.cars > most_cars) {
    return fail(why, out_of_range("cars", "0", std::to_string(most_cars), "",
                                  std::to_string(t.cars), tr));
  }
  return valid_totals(t, tr, why) && valid_margin(p.margin, tr, why);
}

namespace {

std::string describe_margin(const margin_parameters& m, const translator& tr) {
  std::string bands;
  double from = 0;
  for (const margin_band& b : m.bands) {
    if (!bands.empty()) bands += ", ";
    bands +=
        b.up_to_kmh >= any_speed_kmh
            ? tr.format("%s %% above %s km/h", num(b.percent), num(from))
            : tr.format("%s %% to %s km/h", num(b.percent), num(b.up_to_kmh));
    from = b.up_to_kmh;
  }
  return tr.format(
      "Margin: %s, plus %s min per 100 km; slack beyond %s times the run "
      "with margin.",
      bands, num(m.minutes_per_100km), num(m.slack_factor));
}

}  // namespace

std::string describe(const running_parameters& p, const translator& tr) {
  const train_parameters& t = p.train;
  return tr.format(
             "Train: locomotive %s t, %s m, %s kW, at most %s kN, "
             "adhesion %s at rest falling with speed (Curtius-Kniffler); "
             "%s cars of %s t and %s m (%s t, %s m); top speed %s km/h;",
             num(t.loco_mass_t), num(t.loco_length_m), num(t.power_kw),
             num(t.max_tractive_effort_kn), num(t.adhesion),
             std::to_string(t.cars), num(t.car_mass_t), num(t.car_length_m),
             num(t.mass_t()), num(t.length_m()), num(t.max_speed_kmh)) +
         tr.format(
             " resistance %s + %s v N/t + (%s + %s per car) v^2 N; "
             "rotating masses %s (locomotive), %s (cars);",
             num(t.davis_a_n_per_t), num(t.davis_b_n_per_t_per_ms),
             num(t.air_front_n_per_ms2), num(t.air_per_car_n_per_ms2),
             num(t.loco_inertia_factor), num(t.car_inertia_factor)) +
         tr.format(
             " curves %s/R per mille, cant %s mm, cant deficiency %s "
             "mm; braked mass %s %%, deceleration %s m/s^2 on the level, "
             "less g*i downhill.",
             num(t.curve_resistance_k), num(t.cant_mm),
             num(t.cant_deficiency_mm), num(t.braked_mass_percent),
             num(t.deceleration_ms2())) +
         " " + describe_margin(p.margin, tr);
}

}  // namespace scenario
