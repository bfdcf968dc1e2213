#include "drawing/scene.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "drawing/markup.h"
#include "model/error_codes.h"
#include "model/kilometres.h"
#include "model/text_8bit.h"
#include "railway/railway_objects.h"

namespace scenario::drawing {
namespace {

// The railway model's stretches of one layer, in metres.
std::vector<layer_run> layer_runs(const std::vector<layer_stretch>& stretches) {
  std::vector<layer_run> runs;
  runs.reserve(stretches.size());
  for (const layer_stretch& r : stretches) {
    runs.push_back(
        {layer_position_m(r.from_cell), layer_position_m(r.to_cell), r.value});
  }
  return runs;
}

// The elevation at every cell boundary of the gradient's stretches, summed
// in millimetres (a cell of g per mille climbs 50 g mm), so that a long line
// gathers no rounding.
std::vector<double> elevation_of(const std::vector<layer_stretch>& gradient) {
  std::vector<double> elevation = {0};
  int64_t mm = 0;
  for (const layer_stretch& r : gradient) {
    for (int64_t i = r.from_cell; i < r.to_cell; ++i) {
      mm += int64_t{r.value} * cell_length_m;
      elevation.push_back(static_cast<double>(mm) / 1000);
    }
  }
  return elevation;
}

std::string speed_triple(const std::array<int, 3>& v) {
  return std::to_string(v[0]) + "/" + std::to_string(v[1]) + "/" +
         std::to_string(v[2]);
}

// The slowdowns as the railway model pairs them; a mark whose companions
// are missing stands alone at its own position.
void read_slowdowns(const railway_objects& o, scene& s) {
  for (const slowdown_view& d : o.slowdowns) {
    slowdown w;
    if (d.warning_cell) w.warning_m = object_position_m(*d.warning_cell);
    w.start_m = object_position_m(d.first_cell());
    w.end_m = d.end_cell ? object_position_m(*d.end_cell) : w.start_m;
    w.speed_kmh = d.speed;
    w.second_speed_kmh = d.second_speed;
    s.slowdowns.push_back(w);
  }
}

void read_objects(const scenario_model& m, const railway_objects& o, scene& s) {
  for (const signal_view& g : o.signals) {
    const cella& c = m.celle[static_cast<size_t>(g.cell)];
    s.signals.push_back(
        {object_position_m(g.cell), g.left_kind, g.right_kind, g.rapp,
         std::to_string(c.dato1) + " " + std::to_string(c.dato2) + " " +
             std::to_string(c.dato3)});
  }
  read_slowdowns(o, s);
  for (const speed_board_view& b : o.speed_boards) {
    std::string speeds = speed_triple(b.left);
    if (b.right != std::array<int, 3>{})
      speeds += " | " + speed_triple(b.right);
    s.speed_boards.push_back(
        {object_position_m(b.cell), speeds, b.left_stripes, b.right_stripes});
  }
  for (const speed_point_view& p : o.speed_points) {
    s.speed_points.push_back({layer_position_m(p.cell), p.speed});
  }
  for (const direction_board_view& b : o.direction_boards) {
    s.direction_boards.push_back(
        {object_position_m(b.cell), b.v ? from_8bit(b.v->nome) : ""});
  }
  for (const tunnel_view& t : o.tunnels) {
    s.tunnels.push_back({t.from_m, t.to_m, t.kind, from_8bit(t.name)});
  }
  for (const station_view& st : o.stations) {
    const voce& v = *st.v;
    s.stations.push_back({st.entry, from_8bit(v.nome), v.tipo, v.posizione,
                          v.inizio, v.fine, v.orario, st.stops});
  }
}

}  // namespace

scene read_scene(const scenario_model& m, const translator& tr) {
  scene s;
  s.route = from_8bit(m.percorso);
  s.train = from_8bit(m.treno);
  s.line_length_m = m.voci[voce_index::treno_generale].fine;
  s.has_cells = m.has_cells();
  const railway_objects o = read_railway_objects(m);
  s.speed_limit = layer_runs(o.speed_limits);
  s.gradient = layer_runs(o.gradient);
  s.extent_m = s.gradient.empty() ? 0 : s.gradient.back().end_m;
  s.elevation_m = elevation_of(o.gradient);
  read_objects(m, o, s);
  for (const diagnostic& d : m.diagnostics) {
    const diagnostic_description about = describe(d, tr);
    std::optional<int64_t> at;
    if (about.position_m) at = *about.position_m;
    s.problems.push_back({d.codice, at, path_to_printable(d.file), d.line,
                          about.meaning, from_8bit(about.detail)});
  }
  return s;
}

std::optional<plan_point> plan_point_at(const tracciato_t& plan,
                                        int64_t metre) {
  if (metre < 0 || metre >= plan.size()) return std::nullopt;
  if (plan.kind(metre, 0) == tracciato_t::genere::vuoto ||
      plan.kind(metre, 1) == tracciato_t::genere::vuoto) {
    return std::nullopt;
  }
  return plan_point{plan.value(metre, 0), plan.value(metre, 1)};
}

std::vector<plan_point> simplified_plan(const tracciato_t& plan,
                                        double tolerance) {
  // The computed metres run from 0 without a gap.
  int64_t count = 0;
  while (count < plan.size() && plan_point_at(plan, count)) ++count;
  if (count == 0) return {};
  auto at = [&](int64_t i) {
    return plan_point{plan.value(i, 0), plan.value(i, 1)};
  };
  // Douglas-Peucker with an explicit stack: keep the farthest metre of a
  // span from its chord while it lies beyond the tolerance.
  std::vector<bool> keep(static_cast<size_t>(count), false);
  keep.front() = keep.back() = true;
  std::vector<std::pair<int64_t, int64_t>> spans = {{0, count - 1}};
  const double tol2 = tolerance * tolerance;
  while (!spans.empty()) {
    const auto [a, b] = spans.back();
    spans.pop_back();
    if (b - a < 2) continue;
    const plan_point pa = at(a), pb = at(b);
    const double dx = pb.x - pa.x, dy = pb.y - pa.y;
    const double len2 = dx * dx + dy * dy;
    double worst = -1;
    int64_t worst_i = a;
    for (int64_t i = a + 1; i < b; ++i) {
      const plan_point p = at(i);
      const double ex = p.x - pa.x, ey = p.y - pa.y;
      double d2;
      if (len2 == 0) {
        d2 = ex * ex + ey * ey;
      } else {
        const double cross = dx * ey - dy * ex;
        d2 = cross * cross / len2;
      }
      if (d2 > worst) {
        worst = d2;
        worst_i = i;
      }
    }
    if (worst > tol2) {
      keep[static_cast<size_t>(worst_i)] = true;
      spans.push_back({a, worst_i});
      spans.push_back({worst_i, b});
    }
  }
  std::vector<plan_point> out;
  for (int64_t i = 0; i < count; ++i) {
    if (keep[static_cast<size_t>(i)]) out.push_back(at(i));
  }
  return out;
}

std::string format_time_of_day(int32_t seconds) {
  const int32_t h = seconds / 3600, mi = seconds / 60 % 60, se = seconds % 60;
  char text[32];
  if (se != 0) {
    std::snprintf(text, sizeof text, "%d:%02d:%02d", h, mi, se);
  } else {
    std::snprintf(text, sizeof text, "%d:%02d", h, mi);
  }
  return text;
}

}  // namespace scenario::drawing
