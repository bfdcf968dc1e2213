#include "drawing/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "drawing/markup.h"
#include "model/error_codes.h"
#include "model/kilometres.h"
#include "model/text_8bit.h"

namespace scenario::drawing {
namespace {

std::string trim(std::string s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

// Runs of equal values of one byte layer over the cells [0, count).
template <typename value_of>
std::vector<layer_run> layer_runs(const std::vector<cella>& celle, size_t count,
                                  value_of value) {
  std::vector<layer_run> runs;
  for (size_t i = 0; i < count; ++i) {
    const int v = value(celle[i]);
    const int64_t start = layer_position_m(static_cast<int64_t>(i));
    if (runs.empty() || runs.back().value != v) {
      runs.push_back({start, start + cell_length_m, v});
    } else {
      runs.back().end_m = start + cell_length_m;
    }
  }
  return runs;
}

std::string speed_triple(int a, int b, int c) {
  return std::to_string(a) + "/" + std::to_string(b) + "/" + std::to_string(c);
}

void read_objects(const scenario_model& m, scene& s) {
  std::optional<slowdown> open;
  std::vector<int64_t> warnings;  // not yet matched to a start
  auto close_open = [&](int64_t end_m) {
    open->end_m = end_m;
    s.slowdowns.push_back(*open);
    open.reset();
  };
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const cella& c = m.celle[i];
    const int64_t at = cell_position_m(c, static_cast<int64_t>(i));
    switch (c.tipo) {
      case tipo_cella::segnale: {
        const int rest = c.dato4 % 10;
        s.signals.push_back({at, rest / 3, rest % 3, c.dato4 / 10,
                             std::to_string(c.dato1) + " " +
                                 std::to_string(c.dato2) + " " +
                                 std::to_string(c.dato3)});
        break;
      }
      case tipo_cella::avviso_rallentamento:
        warnings.push_back(at);
        break;
      case tipo_cella::inizio_rallentamento: {
        if (open) close_open(open->start_m);  // a start that is its own end
        slowdown d;
        d.start_m = at;
        d.speed_kmh = c.dato1;
        d.second_speed_kmh = c.dato2;
        // The warning stands 1200 m before the start.
        auto w = std::find(warnings.begin(), warnings.end(), at - 1200);
        if (w != warnings.end()) {
          d.warning_m = *w;
          warnings.erase(w);
        }
        open = d;
        break;
      }
      case tipo_cella::fine_rallentamento:
        if (open) {
          close_open(at);
        } else {  // an end whose start was never stamped
          s.slowdowns.push_back({std::nullopt, at, at, c.dato1, c.dato2});
        }
        break;
      case tipo_cella::indicatore_vmax: {
        const int d[3] = {c.dato1, c.dato2, c.dato3};
        int left[3], right[3];
        bool has_right = false;
        for (int k = 0; k < 3; ++k) {
          left[k] = d[k] / 20;
          right[k] = d[k] % 20 * 5;
          has_right = has_right || right[k] != 0;
        }
        std::string speeds = speed_triple(left[0], left[1], left[2]);
        if (has_right)
          speeds += " | " + speed_triple(right[0], right[1], right[2]);
        s.speed_boards.push_back({at, speeds, c.dato4});
        break;
      }
      case tipo_cella::punto_velocita:
        s.speed_points.push_back({at, c.dato1});
        break;
      case tipo_cella::punto_senza_velocita:
        s.speed_points.push_back({at, std::nullopt});
        break;
      case tipo_cella::cartello_indicatore: {
        std::string text;
        if (c.dato1 >= 0 && c.dato1 < voci_count) {
          text = from_8bit(m.voci[static_cast<size_t>(c.dato1)].nome);
        }
        s.direction_boards.push_back({at, text});
        break;
      }
      default:
        break;
    }
  }
  if (open) close_open(open->start_m);
  for (int64_t w : warnings) {  // warnings whose start is missing
    s.slowdowns.push_back({w, w, w, 0, 0});
  }
}

void read_tunnels(const scenario_model& m, scene& s) {
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const int kind = m.celle[i].montagna;
    if (kind == 0) continue;
    const int64_t start = layer_position_m(static_cast<int64_t>(i));
    const bool continues = !s.tunnels.empty() &&
                           s.tunnels.back().end_m == start &&
                           s.tunnels.back().kind == kind;
    if (continues) {
      s.tunnels.back().end_m = start + cell_length_m;
    } else {
      s.tunnels.push_back({start, start + cell_length_m, kind, {}});
    }
  }
  // A tunnel is named by the direction board that announces it: the first
  // tunnel that starts from 50 m before the board to 500 m after it.
  for (const direction_board& b : s.direction_boards) {
    for (tunnel& t : s.tunnels) {
      if (t.start_m + 50 < b.position_m) continue;
      if (t.start_m <= b.position_m + 500 && t.name.empty()) {
        t.name = tunnel_name_from_board(b.text);
      }
      break;
    }
  }
}

void read_stations(const scenario_model& m, scene& s) {
  int limit = voce_index::primo_cartello + 1;  // first entry not a station
  for (const cella& c : m.celle) {
    if (c.tipo == tipo_cella::cartello_indicatore && c.dato1 > 0) {
      limit = std::min<int>(limit, c.dato1);
    }
  }
  for (int n = voce_index::prima_stazione; n < limit; ++n) {
    const voce& v = m.voci[static_cast<size_t>(n)];
    if (v == voce{}) break;
    s.stations.push_back({n, from_8bit(v.nome), v.tipo, v.posizione, v.inizio,
                          v.fine, v.orario, v.orario != 0});
  }
}

}  // namespace

std::string tunnel_name_from_board(const std::string& utf8_text) {
  std::vector<std::string> groups;
  size_t at = 0;
  while (true) {
    const size_t open = utf8_text.find('(', at);
    if (open == std::string::npos) break;
    const size_t close = utf8_text.find(')', open + 1);
    if (close == std::string::npos) break;
    groups.push_back(utf8_text.substr(open + 1, close - open - 1));
    at = close + 1;
  }
  if (groups.empty()) return trim(utf8_text);
  if (groups.size() > 1) groups.erase(groups.begin());
  std::string name;
  for (const std::string& g : groups) {
    // Words of the group, without the length "m.NNN".
    size_t p = 0;
    while (p < g.size()) {
      const size_t b = g.find_first_not_of(' ', p);
      if (b == std::string::npos) break;
      size_t e = g.find(' ', b);
      if (e == std::string::npos) e = g.size();
      const std::string word = g.substr(b, e - b);
      const bool length = word.size() > 2 && word.compare(0, 2, "m.") == 0 &&
                          std::all_of(word.begin() + 2, word.end(), [](char c) {
                            return c >= '0' && c <= '9';
                          });
      if (!length) {
        if (!name.empty()) name += ' ';
        name += word;
      }
      p = e;
    }
  }
  return name;
}

scene read_scene(const scenario_model& m) {
  scene s;
  s.route = from_8bit(m.percorso);
  s.train = from_8bit(m.treno);
  s.line_length_m = m.voci[voce_index::treno_generale].fine;
  s.has_cells = m.has_cells();
  // The last three cells never receive layer values.
  const size_t layer_cells = m.celle.size() > 3 ? m.celle.size() - 3 : 0;
  s.extent_m = layer_position_m(static_cast<int64_t>(layer_cells));
  s.speed_limit = layer_runs(m.celle, layer_cells, [](const cella& c) {
    return c.velocita_limite * 5;
  });
  s.gradient = layer_runs(m.celle, layer_cells,
                          [](const cella& c) { return c.pendenza - 100; });
  s.elevation_m.reserve(layer_cells + 1);
  // Summed in millimetres (a cell of g per mille climbs 50 g mm), so that
  // a long line gathers no rounding.
  int64_t mm = 0;
  s.elevation_m.push_back(0);
  for (size_t i = 0; i < layer_cells; ++i) {
    mm += (m.celle[i].pendenza - 100) * int64_t{cell_length_m};
    s.elevation_m.push_back(static_cast<double>(mm) / 1000);
  }
  read_objects(m, s);
  read_tunnels(m, s);
  read_stations(m, s);
  for (const diagnostic& d : m.diagnostics) {
    const diagnostic_description about = describe(d);
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
