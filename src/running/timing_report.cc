#include "running/timing_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

#include "model/kilometres.h"
#include "model/text_8bit.h"

namespace scenario {
namespace {

using nlohmann::ordered_json;

std::string fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string signed_fixed(double v, int decimals) {
  return (v > 0 ? "+" : "") + fixed(v, decimals);
}

// `v` to a whole number of `unit` (0.01, 0.001, ...), written as the
// nearest double to that decimal.
double rounded(double v, double unit) {
  const double per_unit = std::round(1 / unit);
  return std::round(v * per_unit) / per_unit;
}

size_t display_width(const std::string& utf8) {
  size_t n = 0;
  for (char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

std::string name_of(const running_line& line, size_t point) {
  return windows1252_to_utf8(line.points[point].name);
}

std::string slack_text(const leg& l, const translator& tr) {
  if (!std::isfinite(l.fastest_s)) return "-";
  return (l.slack_s() > 0 ? "+" : "") + format_duration(l.slack_s(), tr);
}

std::string slack_percent_text(const leg& l) {
  if (!std::isfinite(l.fastest_s) || l.fastest_s <= 0) return "-";
  return signed_fixed(l.slack_percent(), 1) + " %";
}

// A table of text cells; the columns flagged in `right` are right-aligned.
std::string table(const std::vector<std::vector<std::string>>& rows,
                  const std::vector<bool>& right) {
  std::vector<size_t> width(right.size(), 0);
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) {
      width[i] = std::max(width[i], display_width(row[i]));
    }
  }
  std::string out;
  for (const auto& row : rows) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
      const std::string pad(width[i] - display_width(row[i]), ' ');
      if (i > 0) line += "  ";
      line += right[i] ? pad + row[i] : row[i] + pad;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  }
  return out;
}

std::string stand_text(const running_result& r, const translator& tr) {
  return tr.format(
             "The train comes to a stand at %s, where it may not stop (a "
             "climb its adhesion or power cannot hold, or a limit of 0 "
             "km/h); the legs beyond cannot be run.",
             format_km(static_cast<int64_t>(std::floor(*r.stand_m)))) +
         "\n";
}

// The line under the table: how many legs, and how many of each verdict.
std::string leg_counts(size_t legs, const int (&count)[4],
                       const translator& tr) {
  return tr.format_plural("%s leg: %s impossible, %s tight, %s ok, %s slack.",
                          "%s legs: %s impossible, %s tight, %s ok, %s slack.",
                          legs, legs, count[0], count[1], count[2], count[3]) +
         "\n";
}

size_t nodes_between_rows(double step_m) {
  return static_cast<size_t>(std::llround(profile_spacing_m / step_m));
}

ordered_json parameters_json(const running_parameters& p, double step_m) {
  const train_parameters& t = p.train;
  ordered_json bands = ordered_json::array();
  for (const margin_band& b : p.margin.bands) {
    bands.push_back({b.up_to_kmh >= any_speed_kmh ? ordered_json(nullptr)
                                                  : ordered_json(b.up_to_kmh),
                     b.percent});
  }
  return {{"loco_mass_t", t.loco_mass_t},
          {"loco_length_m", t.loco_length_m},
          {"power_kw", t.power_kw},
          {"max_tractive_effort_kn", t.max_tractive_effort_kn},
          {"adhesion", t.adhesion},
          {"max_speed_kmh", t.max_speed_kmh},
          {"cars", t.cars},
          {"car_mass_t", t.car_mass_t},
          {"car_length_m", t.car_length_m},
          {"mass_t", rounded(t.mass_t(), 1e-6)},
          {"length_m", rounded(t.length_m(), 1e-6)},
          {"starting_tractive_effort_kn",
           rounded(t.tractive_effort_n(0) / 1000, 1e-3)},
          {"davis_a_n_per_t", t.davis_a_n_per_t},
          {"davis_b_n_per_t_per_ms", t.davis_b_n_per_t_per_ms},
          {"air_front_n_per_ms2", t.air_front_n_per_ms2},
          {"air_per_car_n_per_ms2", t.air_per_car_n_per_ms2},
          {"loco_inertia_factor", t.loco_inertia_factor},
          {"car_inertia_factor", t.car_inertia_factor},
          {"curve_resistance_k", t.curve_resistance_k},
          {"cant_mm", t.cant_mm},
          {"cant_deficiency_mm", t.cant_deficiency_mm},
          {"braked_mass_percent", t.braked_mass_percent},
          {"deceleration_at_100_ms2", t.deceleration_at_100_ms2},
          {"deceleration_ms2", rounded(t.deceleration_ms2(), 1e-6)},
          {"margin",
           {{"bands", bands},
            {"minutes_per_100km", p.margin.minutes_per_100km},
            {"slack_factor", p.margin.slack_factor}}},
          {"step_m", step_m}};
}

ordered_json finite_or_null(double v, double unit) {
  return std::isfinite(v) ? ordered_json(rounded(v, unit))
                          : ordered_json(nullptr);
}

}  // namespace

std::vector<run_node> profile_rows(const running_result& r) {
  profile_sampler rows(r.step_m);
  for (size_t k = 0; k < r.nodes(); ++k) {
    rows.take({k, r.position(k), r.permitted_kmh[k], r.speed_ms[k], r.time_s[k],
               r.margin_time_s[k]});
  }
  return rows.rows();
}

profile_sampler::profile_sampler(double step_m)
    : every_(std::max<size_t>(nodes_between_rows(step_m), 1)) {}

void profile_sampler::take(const run_node& n) {
  if (n.k % every_ == 0) {
    rows_.push_back(n);
  }
  last_ = n;
  any_ = true;
}

std::vector<run_node> profile_sampler::rows() const {
  std::vector<run_node> out = rows_;
  if (any_ && (out.empty() || out.back().k != last_.k)) out.push_back(last_);
  return out;
}

std::string format_duration(double seconds, const translator& tr) {
  if (!std::isfinite(seconds)) return tr("never");
  const long long s = std::llround(std::fabs(seconds));
  char buf[48];
  if (s >= 3600) {
    std::snprintf(buf, sizeof buf, "%s%lld:%02lld:%02lld",
                  seconds < 0 && s > 0 ? "-" : "", s / 3600, s / 60 % 60,
                  s % 60);
  } else {
    std::snprintf(buf, sizeof buf, "%s%lld:%02lld",
                  seconds < 0 && s > 0 ? "-" : "", s / 60, s % 60);
  }
  return buf;
}

std::string describe_curves(const running_line& line, const train_parameters& t,
                            const translator& tr) {
  if (!line.curves_known) {
    return tr(
        "Curves: not known (compiled files keep no curve record; time the "
        "descriptions to include them).");
  }
  return tr.format(
      "Curves: from the curve records, each canted %s mm, run with at most "
      "%s mm of cant deficiency.",
      fixed(t.cant_mm, 0), fixed(t.cant_deficiency_mm, 0));
}

std::string describe_next_days(const running_line& line, const translator& tr) {
  std::string out;
  for (size_t i : line.next_day) {
    out += tr.format(
               "Note: %s is timed earlier than %s; its time is read as the "
               "next day's.",
               name_of(line, i), name_of(line, i - 1)) +
           "\n";
  }
  return out;
}

const char* verdict_words(verdict v, const translator& tr) {
  switch (v) {
    case verdict::impossible:
      return tr("impossible");
    case verdict::tight:
      return tr("tight");
    case verdict::ok:
      return tr("ok");
    case verdict::slack:
      return tr("slack");
  }
  return verdict_name(v);
}

std::string format_timing_text(const timing_context& c,
                               const running_line& line,
                               const running_parameters& p,
                               const running_result& r, const translator& tr) {
  std::string out = c.from_source.empty()
                        ? tr.format("Timing of %s \u00b7 %s", c.route, c.train)
                        : tr.format("Timing of %s \u00b7 %s, %s", c.route,
                                    c.train, c.from_source);
  out += "\n" + describe(p, tr) + "\n" + describe_curves(line, p.train, tr) +
         "\n" + describe_next_days(line, tr) + "\n";
  if (r.legs.empty()) {
    return out + tr("Fewer than two timed stations: there is no leg to time.") +
           "\n";
  }
  std::vector<std::vector<std::string>> rows = {
      {tr("from"), tr("to"), tr("km"), tr("scheduled"), tr("fastest"),
       tr("with margin"), tr.context("column", "slack"), tr("slack %"),
       tr("verdict")}};
  int count[4] = {0, 0, 0, 0};
  for (const leg& l : r.legs) {
    ++count[static_cast<int>(l.judged)];
    rows.push_back({name_of(line, l.from), name_of(line, l.to),
                    fixed(l.distance_m / 1000, 1),
                    format_duration(l.scheduled_s, tr),
                    format_duration(l.fastest_s, tr),
                    format_duration(l.with_margin_s, tr), slack_text(l, tr),
                    slack_percent_text(l), verdict_words(l.judged, tr)});
  }
  out += table(rows, {false, false, true, true, true, true, true, true, false});
  out += "\n" + leg_counts(r.legs.size(), count, tr);
  if (r.stand_m) out += stand_text(r, tr);
  return out;
}

std::string format_timing_json(const timing_context& c,
                               const running_line& line,
                               const running_parameters& p,
                               const running_result& r,
                               const std::vector<run_node>& rows,
                               const translator& tr) {
  ordered_json legs = ordered_json::array();
  for (const leg& l : r.legs) {
    legs.push_back({{"from", name_of(line, l.from)},
                    {"to", name_of(line, l.to)},
                    {"from_m", line.points[l.from].position_m},
                    {"to_m", line.points[l.to].position_m},
                    {"distance_m", l.distance_m},
                    {"scheduled_s", l.scheduled_s},
                    {"fastest_s", finite_or_null(l.fastest_s, 0.01)},
                    {"with_margin_s", finite_or_null(l.with_margin_s, 0.01)},
                    {"slack_s", finite_or_null(l.slack_s(), 0.01)},
                    {"slack_percent", finite_or_null(l.slack_percent(), 0.01)},
                    {"verdict", verdict_name(l.judged)}});
  }
  // The timed stations, each a stop or passed at its time.
  ordered_json stations = ordered_json::array();
  for (size_t k = 0; k < line.points.size(); ++k) {
    stations.push_back({{"name", name_of(line, k)},
                        {"position_m", line.points[k].position_m},
                        {"time_s", line.points[k].time_s},
                        {"stop", line.points[k].stop}});
  }
  ordered_json next_day = ordered_json::array();
  for (size_t i : line.next_day) next_day.push_back(name_of(line, i));
  ordered_json profile = ordered_json::array();
  for (const run_node& n : rows) {
    profile.push_back({{"position_m", rounded(n.position_m, 0.001)},
                       {"speed_kmh", rounded(n.speed_ms * 3.6, 0.01)},
                       {"permitted_kmh", n.permitted_kmh},
                       {"time_s", rounded(n.time_s, 0.01)},
                       {"margin_time_s", rounded(n.margin_time_s, 0.01)}});
  }
  const ordered_json j = {
      {"route", c.route},
      {"train", c.train},
      {"source", c.source},
      {"parameters", parameters_json(p, r.step_m)},
      {"description", describe(p, tr)},
      {"curves_known", line.curves_known},
      {"curves", describe_curves(line, p.train, tr)},
      {"next_day", next_day},
      {"legs", legs},
      {"stations", stations},
      {"stand_m", r.stand_m ? ordered_json(*r.stand_m) : ordered_json(nullptr)},
      {"profile", profile}};
  return j.dump() + "\n";
}

std::string format_timing_csv(const timing_context& c, const running_line& line,
                              const running_parameters& p,
                              const running_result& r,
                              const std::vector<run_node>& rows) {
  auto quoted = [](const std::string& s) {
    std::string q = "\"";
    for (char ch : s) {
      if (ch == '"') q += '"';
      q += ch;
    }
    return q + "\"";
  };
  std::string out = "parameter,value\n";
  out += "route," + quoted(c.route) + "\ntrain," + quoted(c.train) + "\n";
  const ordered_json values = parameters_json(p, r.step_m);
  for (const auto& [key, value] : values.items()) {
    if (key == "margin") continue;
    out += key + "," + value.dump() + "\n";
  }
  out += "margin_bands," + quoted(values["margin"]["bands"].dump()) +
         "\nminutes_per_100km," + fixed(p.margin.minutes_per_100km, 3) +
         "\nslack_factor," + fixed(p.margin.slack_factor, 3) +
         "\ncurves_known," + (line.curves_known ? "true" : "false") + "\n";
  std::string next_day;
  for (size_t i : line.next_day) {
    next_day += (next_day.empty() ? "" : "; ") + name_of(line, i);
  }
  out += "next_day," + quoted(next_day) + "\n\n";
  out +=
      "from,to,from_m,to_m,distance_m,scheduled_s,fastest_s,with_margin_s,"
      "slack_s,slack_percent,verdict\n";
  auto cell = [](double v) {
    return std::isfinite(v) ? fixed(v, 2) : std::string();
  };
  for (const leg& l : r.legs) {
    out += quoted(name_of(line, l.from)) + "," + quoted(name_of(line, l.to)) +
           "," + std::to_string(line.points[l.from].position_m) + "," +
           std::to_string(line.points[l.to].position_m) + "," +
           fixed(l.distance_m, 0) + "," + fixed(l.scheduled_s, 0) + "," +
           cell(l.fastest_s) + "," + cell(l.with_margin_s) + "," +
           cell(l.slack_s()) + "," + cell(l.slack_percent()) + "," +
           verdict_name(l.judged) + "\n";
  }
  out += "\nposition_m,speed_kmh,permitted_kmh,time_s,margin_time_s\n";
  for (const run_node& n : rows) {
    out += fixed(n.position_m, 1) + "," + fixed(n.speed_ms * 3.6, 2) + "," +
           fixed(n.permitted_kmh, 0) + "," + fixed(n.time_s, 2) + "," +
           fixed(n.margin_time_s, 2) + "\n";
  }
  return out;
}

}  // namespace scenario
