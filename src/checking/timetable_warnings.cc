#include "checking/timetable_warnings.h"

#include <cmath>
#include <cstdio>

#include "running/curves.h"
#include "running/timing_report.h"

namespace scenario {
namespace {

// The accepted station record of a timed point: same position and name.
const record_as_read* record_of(const std::vector<record_as_read>& records,
                                const timed_point& p) {
  for (const record_as_read& r : records) {
    if (r.kind == record_kind::station && r.accepted &&
        r.number(0) == p.position_m && r.text == p.name) {
      return &r;
    }
  }
  return nullptr;
}

std::string train_summary(const train_parameters& t) {
  char buf[160];
  std::snprintf(buf, sizeof buf,
                "%.0f t, %.0f kW, braking %.2f m/s^2 (braked mass %.0f %%)",
                t.mass_t(), t.power_kw, t.deceleration_ms2(),
                t.braked_mass_percent);
  return buf;
}

std::string kilometres(double m) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f km", m / 1000);
  return buf;
}

}  // namespace

std::vector<curve_stretch> curve_stretches(
    const std::vector<record_as_read>& records) {
  std::vector<curve_stretch> v;
  for (const record_as_read& r : records) {
    if (r.kind != record_kind::curve || !r.accepted) continue;
    if (const auto radius = curve_radius_m(r.key)) {
      v.push_back({r.number(0), r.number(1), *radius});
    }
  }
  return v;
}

void timetable_warnings(const std::vector<record_as_read>& records,
                        const scenario_model& m, const warning_options& options,
                        std::vector<raised_warning>& out) {
  const bool impossible = options.enabled("timetable-impossible");
  const bool tight = options.enabled("timetable-tight");
  if ((!impossible && !tight) || !m.has_cells()) return;
  // Without two timed stations there is no leg to judge: the line need not
  // be read metre by metre.
  if (timed_points(m).size() < 2) return;
  const std::vector<curve_stretch> curves = curve_stretches(records);
  const running_line line = read_running_line(m, &curves);
  if (line.points.size() < 2 || !line.damage.empty()) return;
  running_parameters p;
  take_from_scenario(m, p.train);
  const running_result r = run_fastest(line, p);
  for (const leg& l : r.legs) {
    if (l.judged != verdict::impossible && l.judged != verdict::tight) continue;
    const bool is_impossible = l.judged == verdict::impossible;
    if (!(is_impossible ? impossible : tight)) continue;
    const timed_point& from = line.points[l.from];
    const timed_point& to = line.points[l.to];
    const record_as_read* rec = record_of(records, to);
    if (rec == nullptr) continue;
    std::string message = "station " + to.name + " is reached " +
                          format_duration(l.scheduled_s) + " after leaving " +
                          from.name + " (" + kilometres(l.distance_m) + " on)";
    if (is_impossible) {
      message +=
          std::isfinite(l.fastest_s)
              ? ", but the fastest run takes " + format_duration(l.fastest_s)
              : ", but the train cannot run the leg";
    } else {
      message += ": " + format_duration(l.slack_s()) +
                 " over the fastest run (" + format_duration(l.fastest_s) +
                 "), less than the regularity margin of " +
                 format_duration(l.with_margin_s - l.fastest_s);
    }
    message += "; train " + train_summary(p.train);
    out.push_back({is_impossible ? "timetable-impossible" : "timetable-tight",
                   std::move(message), rec->in, rec->place(13), to.position_m});
  }
}

}  // namespace scenario
