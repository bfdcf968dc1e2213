#include "checking/timetable_warnings.h"

#include <cmath>
#include <cstdio>

#include "model/text_8bit.h"
#include "running/curves.h"
#include "running/timing_report.h"

namespace scenario {
namespace {

// The accepted station record of a timed point: same position and name.
const record_as_read* record_of(const record_list& records,
                                const timed_point& p) {
  for (const record_as_read& r : records) {
    if (r.kind == record_kind::station && r.accepted &&
        r.number(0) == p.position_m && r.text() == p.name) {
      return &r;
    }
  }
  return nullptr;
}

std::string fixed(double v, int decimals) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string train_summary(const train_parameters& t, const translator& tr) {
  return utf8_to_windows1252(
      tr.format("%s t, %s kW, braking %s m/s^2 (braked mass %s %%)",
                fixed(t.mass_t(), 0), fixed(t.power_kw, 0),
                fixed(t.deceleration_ms2(), 2),
                fixed(t.braked_mass_percent, 0)),
      nullptr);
}

// A message: its English pattern and its arguments, 8-bit text (station
// names are 8-bit already), filled in the language of whoever shows it.
template <typename... Args>
message_arguments say(const char* pattern, const Args&... args) {
  const std::string texts[] = {std::string(), std::string(args)...};
  return {pattern, std::span<const std::string>(texts).subspan(1)};
}

std::string kilometres(double m) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f km", m / 1000);
  return buf;
}

}  // namespace

std::vector<curve_stretch> curve_stretches(
    const record_list& records) {
  std::vector<curve_stretch> v;
  for (const record_as_read& r : records) {
    if (r.kind != record_kind::curve || !r.accepted) continue;
    if (const auto radius = curve_radius_m(r.key())) {
      v.push_back({r.number(0), r.number(1), *radius});
    }
  }
  return v;
}

void timetable_warnings(const record_list& records,
                        const scenario_model& m, const warning_options& options,
                        const translator& tr, const warning_sink& out) {
  const bool impossible = options.enabled("timetable-impossible");
  const bool tight = options.enabled("timetable-tight");
  if ((!impossible && !tight) || !m.has_cells()) return;
  // Without two timed stations there is no leg to judge: the line need not
  // be read metre by metre.
  if (timed_points(m).size() < 2) return;
  const std::vector<curve_stretch> curves = curve_stretches(records);
  const running_line line = read_running_line(m, &curves, tr);
  if (line.points.size() < 2 || !line.damage.empty()) return;
  running_parameters p;
  take_from_scenario(m, p.train);
  const running_result r = run_legs(line, p);  // leg times alone
  for (const leg& l : r.legs) {
    if (l.judged != verdict::impossible && l.judged != verdict::tight) continue;
    const bool is_impossible = l.judged == verdict::impossible;
    if (!(is_impossible ? impossible : tight)) continue;
    const timed_point& from = line.points[l.from];
    const timed_point& to = line.points[l.to];
    const record_as_read* rec = record_of(records, to);
    if (rec == nullptr) continue;
    const std::string scheduled = format_duration(l.scheduled_s, tr);
    const std::string distance = kilometres(l.distance_m);
    const std::string train = train_summary(p.train, tr);
    message_arguments message;
    if (!is_impossible) {
      message = say(N_("station %s is reached %s after leaving %s (%s on): "
                       "%s over the fastest run (%s), less than the "
                       "regularity margin of %s; train %s"),
                    to.name, scheduled, from.name, distance,
                    format_duration(l.slack_s(), tr),
                    format_duration(l.fastest_s, tr),
                    format_duration(l.with_margin_s - l.fastest_s, tr), train);
    } else if (std::isfinite(l.fastest_s)) {
      message = say(N_("station %s is reached %s after leaving %s (%s on), "
                       "but the fastest run takes %s; train %s"),
                    to.name, scheduled, from.name, distance,
                    format_duration(l.fastest_s, tr), train);
    } else {
      message = say(N_("station %s is reached %s after leaving %s (%s on), "
                       "but the train cannot run the leg; train %s"),
                    to.name, scheduled, from.name, distance, train);
    }
    out({is_impossible ? "timetable-impossible" : "timetable-tight",
         std::move(message), rec->in, rec->place(13), to.position_m});
  }
}

}  // namespace scenario
