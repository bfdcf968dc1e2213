#include "running/running_line.h"

#include <algorithm>

#include "model/kilometres.h"
#include "railway/railway_objects.h"

namespace scenario {
namespace {

// The slowdowns the cells mark, each from its start cell to its end cell at
// the start's speed; a start that no end closes before the next start or
// the end of the line limits nothing.
void read_slowdowns(const scenario_model& m, step_profile& out) {
  bool open = false;
  int64_t open_start = 0;
  float open_speed = 0;
  auto close = [&](int64_t end) {
    out.lower(open_start, end, open_speed);
    open = false;
  };
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const cella& c = m.celle[i];
    const int64_t at = cell_position_m(c, static_cast<int64_t>(i));
    if (c.tipo == tipo_cella::inizio_rallentamento) {
      if (open) close(open_start);
      if (c.dato1 > 0) {
        open = true;
        open_start = at;
        open_speed = static_cast<float>(c.dato1);
      }
    } else if (c.tipo == tipo_cella::fine_rallentamento && open) {
      close(at);
    }
  }
}

constexpr int64_t day_s = 24 * 3600;

// Refuses a timed station off the line (the compiled files are damaged:
// dropping it would charge its minute and dwell to a neighbour), and reads
// a time earlier than the one before as the next day's.
void settle_points(running_line& line, const translator& tr) {
  const auto metres = static_cast<int64_t>(line.metres());
  for (const timed_point& p : line.points) {
    if (p.position_m < 0 || p.position_m >= metres) {
      line.damage = tr.format(
          "the timed station in entry %d stands at %d m, off the line (0 to "
          "%d m): the stations cannot be read in order",
          p.entry, p.position_m, metres);
      return;
    }
  }
  int64_t days = 0;
  for (size_t i = 0; i < line.points.size(); ++i) {
    timed_point& p = line.points[i];
    p.time_s += days;
    if (i > 0 && p.arrival_s() < line.points[i - 1].time_s) {
      days += day_s;
      p.time_s += day_s;
      line.next_day.push_back(i);
    }
  }
}

}  // namespace

std::vector<timed_point> timed_points(const scenario_model& m) {
  std::vector<timed_point> points;
  // A station off the line stays a point: settle_points refuses it by name.
  for (const station_view& s : stations(m)) {
    const voce& v = *s.v;
    if (v.orario == 0) continue;
    points.push_back(
        {s.entry, v.nome, v.posizione, v.orario, v.flag3, s.stops});
  }
  std::stable_sort(points.begin(), points.end(),
                   [](const timed_point& a, const timed_point& b) {
                     return a.position_m < b.position_m;
                   });
  if (!points.empty()) {
    // The run starts from a stand and ends at one, wherever the cells leave
    // its first and last station.
    points.front().stop = true;
    points.front().dwell_s = 0;  // the run starts at its departure
    points.back().stop = true;
    points.back().dwell_s = 0;  // its time is the arrival
  }
  return points;
}

running_line read_running_line(const scenario_model& m,
                               const std::vector<curve_stretch>* curves,
                               const translator& tr) {
  running_line line;
  const auto metres = static_cast<int64_t>(m.celle.size()) * cell_length_m;
  std::vector<step_profile::change> limits, gradients;
  limits.reserve(m.celle.size());
  gradients.reserve(m.celle.size());
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const cella& c = m.celle[i];
    const int64_t from = static_cast<int64_t>(i) * cell_length_m;
    limits.push_back({from, static_cast<float>(c.velocita_limite * 5)});
    gradients.push_back({from, static_cast<float>(int{c.pendenza} - 100)});
  }
  line.line_limit_kmh = step_profile(metres, std::move(limits));
  line.gradient_permille = step_profile(metres, std::move(gradients));
  line.slowdown_kmh = step_profile(metres, 0);
  read_slowdowns(m, line.slowdown_kmh);
  line.curve_radius_m = step_profile(metres, 0);
  if (curves != nullptr) {
    line.curves_known = true;
    for (const curve_stretch& c : *curves) {
      line.curve_radius_m.lower(c.start_m, c.start_m + c.length_m,
                                static_cast<float>(c.radius_m));
    }
  }
  line.points = timed_points(m);
  settle_points(line, tr);
  return line;
}

}  // namespace scenario
