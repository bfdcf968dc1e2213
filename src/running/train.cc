#include "running/train.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace scenario {
namespace {

using nlohmann::json;

// A number with up to three decimals, without trailing zeros.
std::string num(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

struct named_number {
  std::string_view name;
  double train_parameters::*field;
};

constexpr named_number train_numbers[] = {
    {"loco_mass_t", &train_parameters::loco_mass_t},
    {"loco_length_m", &train_parameters::loco_length_m},
    {"power_kw", &train_parameters::power_kw},
    {"car_mass_t", &train_parameters::car_mass_t},
    {"car_length_m", &train_parameters::car_length_m},
    {"max_acceleration_ms2", &train_parameters::max_acceleration_ms2},
    {"davis_a_n_per_t", &train_parameters::davis_a_n_per_t},
    {"davis_b_n_per_t_per_ms", &train_parameters::davis_b_n_per_t_per_ms},
    {"davis_c_n_per_t_per_ms2", &train_parameters::davis_c_n_per_t_per_ms2},
    {"inertia_factor", &train_parameters::inertia_factor},
    {"curve_resistance_k", &train_parameters::curve_resistance_k},
    {"braked_mass_percent", &train_parameters::braked_mass_percent},
    {"deceleration_at_100_ms2", &train_parameters::deceleration_at_100_ms2},
};

bool read_number(const json& v, std::string_view name, double& out,
                 std::string* why) {
  if (!v.is_number()) {
    *why = "\"" + std::string(name) + "\" must be a number";
    return false;
  }
  out = v.get<double>();
  return true;
}

bool apply_margin(const json& j, margin_parameters& m, std::string* why) {
  if (!j.is_object()) {
    *why = "\"margin\" must be an object";
    return false;
  }
  for (const auto& [key, v] : j.items()) {
    if (key == "minutes_per_100km") {
      if (!read_number(v, key, m.minutes_per_100km, why)) return false;
    } else if (key == "slack_factor") {
      if (!read_number(v, key, m.slack_factor, why)) return false;
    } else if (key == "bands") {
      if (!v.is_array() || v.empty()) {
        *why = "\"bands\" must be a list of [up to km/h, percent] pairs";
        return false;
      }
      std::vector<margin_band> bands;
      for (const json& b : v) {
        if (!b.is_array() || b.size() != 2 || !b[0].is_number() ||
            !b[1].is_number()) {
          *why = "each band is a pair [up to km/h, percent]";
          return false;
        }
        bands.push_back({b[0].get<double>(), b[1].get<double>()});
      }
      m.bands = std::move(bands);
    } else {
      *why = "unknown margin parameter \"" + key + "\"";
      return false;
    }
  }
  return true;
}

}  // namespace

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
                          std::string* why) {
  const json j = json::parse(json_text, nullptr, /*allow_exceptions=*/false);
  if (j.is_discarded() || !j.is_object()) {
    *why = "not a JSON object";
    return false;
  }
  for (const auto& [key, v] : j.items()) {
    if (key == "margin") {
      if (!apply_margin(v, p.margin, why)) return false;
      continue;
    }
    if (key == "cars") {
      if (!v.is_number_integer()) {
        *why = "\"cars\" must be a whole number";
        return false;
      }
      p.train.cars = v.get<int>();
      continue;
    }
    bool known = false;
    for (const named_number& n : train_numbers) {
      if (n.name != key) continue;
      if (!read_number(v, key, p.train.*n.field, why)) return false;
      known = true;
    }
    if (!known) {
      *why = "unknown train parameter \"" + key + "\"";
      return false;
    }
  }
  return valid(p, why);
}

bool parse_margin_bands(std::string_view text, std::vector<margin_band>& out,
                        std::string* why) {
  std::vector<margin_band> bands;
  while (!text.empty()) {
    const size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view{}
                                           : text.substr(comma + 1);
    const size_t colon = item.find(':');
    margin_band b;
    auto number = [](std::string_view t, double& v) {
      const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
      return r.ec == std::errc{} && r.ptr == t.data() + t.size() && !t.empty();
    };
    if (colon == std::string_view::npos ||
        !number(item.substr(colon + 1), b.percent) ||
        !(item.substr(0, colon) == "*"
              ? (b.up_to_kmh = 1e9, true)
              : number(item.substr(0, colon), b.up_to_kmh))) {
      *why = "\"" + std::string(item) +
             "\" is no band; write SPEED:PERCENT, e.g. 140:4,*:7";
      return false;
    }
    if (!bands.empty() && b.up_to_kmh <= bands.back().up_to_kmh) {
      *why = "the bands must rise in speed";
      return false;
    }
    bands.push_back(b);
  }
  if (bands.empty()) {
    *why = "no margin band";
    return false;
  }
  out = std::move(bands);
  return true;
}

bool valid(const running_parameters& p, std::string* why) {
  const train_parameters& t = p.train;
  auto fail = [&](const std::string& s) {
    *why = s;
    return false;
  };
  for (const named_number& n : train_numbers) {
    if (!std::isfinite(t.*n.field) || t.*n.field < 0) {
      return fail(std::string(n.name) + " must be a number not below 0");
    }
  }
  if (t.loco_mass_t + t.cars * t.car_mass_t <= 0) {
    return fail("the train must have a mass");
  }
  if (t.cars < 0 || t.cars > 100) return fail("cars must be from 0 to 100");
  if (t.power_kw <= 0) return fail("power_kw must be above 0");
  if (t.max_acceleration_ms2 <= 0) {
    return fail("max_acceleration_ms2 must be above 0");
  }
  if (t.inertia_factor < 1) return fail("inertia_factor must be at least 1");
  if (t.deceleration_ms2() <= 0) {
    return fail(
        "the deceleration (braked_mass_percent and "
        "deceleration_at_100_ms2) must be above 0");
  }
  if (p.margin.bands.empty()) return fail("the margin needs a band");
  for (const margin_band& b : p.margin.bands) {
    if (!std::isfinite(b.percent) || b.percent < 0 || b.percent > 100) {
      return fail("margin percentages must be from 0 to 100");
    }
  }
  if (!std::isfinite(p.margin.minutes_per_100km) ||
      p.margin.minutes_per_100km < 0) {
    return fail("minutes_per_100km must not be below 0");
  }
  if (!std::isfinite(p.margin.slack_factor) || p.margin.slack_factor < 1) {
    return fail("slack_factor must be at least 1");
  }
  return true;
}

std::string describe(const running_parameters& p) {
  const train_parameters& t = p.train;
  std::string bands;
  double from = 0;
  for (const margin_band& b : p.margin.bands) {
    if (!bands.empty()) bands += ", ";
    bands +=
        num(b.percent) + " % " +
        (b.up_to_kmh >= 1e9 ? "above " + num(from) : "to " + num(b.up_to_kmh)) +
        " km/h";
    from = b.up_to_kmh;
  }
  return "Train: locomotive " + num(t.loco_mass_t) + " t, " +
         num(t.loco_length_m) + " m, " + num(t.power_kw) + " kW; " +
         std::to_string(t.cars) + " cars of " + num(t.car_mass_t) + " t and " +
         num(t.car_length_m) + " m (" + num(t.mass_t()) + " t, " +
         num(t.length_m()) + " m); starting acceleration " +
         num(t.max_acceleration_ms2) + " m/s^2; resistance " +
         num(t.davis_a_n_per_t) + " + " + num(t.davis_b_n_per_t_per_ms) +
         " v + " + num(t.davis_c_n_per_t_per_ms2) +
         " v^2 N/t; inertia factor " + num(t.inertia_factor) + "; curves " +
         num(t.curve_resistance_k) + "/R per mille; braked mass " +
         num(t.braked_mass_percent) + " %, deceleration " +
         num(t.deceleration_ms2()) + " m/s^2. Margin: " + bands + ", plus " +
         num(p.margin.minutes_per_100km) + " min per 100 km; slack beyond " +
         num(p.margin.slack_factor) + " times the run with margin.";
}

}  // namespace scenario
