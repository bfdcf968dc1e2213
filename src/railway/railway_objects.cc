#include "railway/railway_objects.h"

#include <algorithm>
#include <utility>

#include "model/kilometres.h"
#include "railway/rules.h"

namespace scenario {
namespace {

signal_view read_signal(const cella& c, int64_t cell) {
  const int pair = c.dato4 % 10;
  signal_view s;
  s.cell = cell;
  s.left_kind = pair / 3;
  s.right_kind = pair % 3;
  s.left = {c.dato1 / 10, c.dato2 / 10, c.dato3 / 10};
  s.right = {c.dato1 % 10, c.dato2 % 10, c.dato3 % 10};
  s.rapp = c.dato4 / 10;
  s.tempo = c.tempo;
  return s;
}

speed_board_view read_speed_board(const cella& c, int64_t cell) {
  const railway::board_sides sides = railway::read_board(c);
  speed_board_view b;
  b.cell = cell;
  b.left = sides.left.speeds_kmh;
  b.right = sides.right.speeds_kmh;
  b.left_stripes = sides.left.stripes;
  b.right_stripes = sides.right.stripes;
  return b;
}

// Pairs the slowdown marks: each start with the next end (a start followed
// by another start is its own end) and with the warning 24 cells before it.
class slowdown_reader {
 public:
  explicit slowdown_reader(const scenario_model& m) : m_(m) {}

  void mark(int64_t i) {
    const cella& c = m_.celle[i];
    switch (c.tipo) {
      case tipo_cella::avviso_rallentamento:
        warnings_.push_back(i);
        break;
      case tipo_cella::inizio_rallentamento:
        if (open_) close(*open_->start_cell);
        open_ = start(i);
        break;
      case tipo_cella::fine_rallentamento:
        if (open_) {
          close(i);
        } else {
          slowdown_view d;
          d.end_cell = i;
          d.speed = c.dato1;
          d.second_speed = c.dato2;
          d.f_tt = c.dato3;
          list_.push_back(d);
        }
        break;
      default:
        break;
    }
  }

  std::vector<slowdown_view> finish() {
    if (open_) close(*open_->start_cell);
    for (int64_t w : warnings_) {
      slowdown_view d;
      d.warning_cell = w;
      d.speed = railway::warning_speed_kmh(m_.celle[w]);
      d.second_speed = m_.celle[w].dato2;
      d.approach = has_approach(w);
      list_.push_back(d);
    }
    std::stable_sort(list_.begin(), list_.end(),
                     [](const slowdown_view& x, const slowdown_view& y) {
                       return x.first_cell() < y.first_cell();
                     });
    return std::move(list_);
  }

 private:
  slowdown_view start(int64_t i) {
    const cella& c = m_.celle[i];
    slowdown_view d;
    d.start_cell = i;
    d.speed = c.dato1;
    d.second_speed = c.dato2;
    d.f_tt = c.dato3;
    auto w = std::find(warnings_.begin(), warnings_.end(),
                       i - railway::warning_cells_before_start);
    if (w != warnings_.end()) {
      d.warning_cell = *w;
      d.approach = has_approach(*w);
      warnings_.erase(w);
    }
    return d;
  }
  void close(int64_t end) {
    open_->end_cell = end;
    list_.push_back(*open_);
    open_.reset();
  }
  bool has_approach(int64_t warning) const {
    const int64_t k = warning - 1;
    return k >= 0 && m_.celle[k].tipo == tipo_cella::preavviso_rallentamento &&
           m_.celle[k].dato1 == 1;
  }

  const scenario_model& m_;
  std::vector<int64_t> warnings_;  // not yet matched to a start
  std::optional<slowdown_view> open_;
  std::vector<slowdown_view> list_;
};

template <typename F>
std::vector<layer_stretch> layer_stretches(const scenario_model& m, F value) {
  std::vector<layer_stretch> runs;
  if (m.celle.empty()) return runs;
  const int64_t last = last_layer_cell(m);
  for (int64_t i = 0; i <= last; ++i) {
    const int v = value(m.celle[i]);
    if (runs.empty() || runs.back().value != v) {
      runs.push_back({i, i + 1, v});
    } else {
      runs.back().to_cell = i + 1;
    }
  }
  return runs;
}

}  // namespace

int64_t slowdown_view::first_cell() const {
  if (start_cell) return *start_cell;
  if (end_cell) return *end_cell;
  return warning_cell.value_or(0);
}

int64_t last_layer_cell(const scenario_model& m) {
  return std::max<int64_t>(0, static_cast<int64_t>(m.celle.size()) - 4);
}

std::vector<station_view> stations(const scenario_model& m) {
  const int limit = railway::station_entry_limit(m);
  std::vector<station_view> list;
  std::vector<railway::station_timing> timings;
  for (int k = voce_index::prima_stazione; k < limit; ++k) {
    if (m.voci[k] == voce{}) break;
    list.push_back({k, &m.voci[k], false});
    timings.push_back({m.voci[k].orario, m.voci[k].flag3});
  }
  const std::vector<bool> stops = railway::station_stops(timings);
  for (size_t s = 0; s < list.size(); ++s) list[s].stops = stops[s];
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const cella& c = m.celle[i];
    if (c.tipo != tipo_cella::fine_stazione) continue;
    for (station_view& s : list) {
      if (s.entry == c.dato1 && s.end_mark_cell < 0) {
        s.end_mark_cell = static_cast<int64_t>(i);
      }
    }
  }
  return list;
}

std::vector<tunnel_view> tunnels(const scenario_model& m) {
  std::vector<tunnel_view> list;
  const int64_t n = static_cast<int64_t>(m.celle.size());
  for (int64_t i = 0; i < n;) {
    const uint8_t kind = m.celle[i].montagna;
    int64_t j = i + 1;
    while (j < n && m.celle[j].montagna == kind) ++j;
    if (kind != 0) {
      list.push_back({layer_position_m(i), layer_position_m(j), kind, {}, -1});
    }
    i = j;
  }
  std::vector<int64_t> boards, board_cells, entrances;
  std::vector<std::string> names;
  for (int64_t i = 0; i < n; ++i) {
    const cella& c = m.celle[i];
    if (c.tipo != tipo_cella::cartello_indicatore || c.dato1 < 0 ||
        c.dato1 >= voci_count) {
      continue;
    }
    std::string name = railway::tunnel_name_of_board(m.voci[c.dato1].nome);
    if (name.empty()) continue;
    boards.push_back(object_position_m(i));
    board_cells.push_back(i);
    names.push_back(std::move(name));
  }
  for (const tunnel_view& t : list) entrances.push_back(t.from_m);
  const std::vector<int> named = railway::naming_boards(boards, entrances);
  for (size_t t = 0; t < list.size(); ++t) {
    if (named[t] < 0) continue;
    list[t].name = names[static_cast<size_t>(named[t])];
    list[t].board_cell = board_cells[static_cast<size_t>(named[t])];
  }
  return list;
}

railway_objects read_railway_objects(const scenario_model& m) {
  railway_objects o;
  o.stations = stations(m);
  o.tunnels = tunnels(m);
  slowdown_reader slowdowns(m);
  for (size_t n = 0; n < m.celle.size(); ++n) {
    const int64_t i = static_cast<int64_t>(n);
    const cella& c = m.celle[n];
    switch (c.tipo) {
      case tipo_cella::segnale:
        o.signals.push_back(read_signal(c, i));
        break;
      case tipo_cella::cartello_indicatore: {
        const bool known = c.dato1 >= 0 && c.dato1 < voci_count;
        o.direction_boards.push_back(
            {i, c.dato1, known ? &m.voci[c.dato1] : nullptr});
        break;
      }
      case tipo_cella::indicatore_vmax:
        o.speed_boards.push_back(read_speed_board(c, i));
        break;
      case tipo_cella::punto_velocita:
        o.speed_points.push_back({i, c.dato1});
        break;
      case tipo_cella::punto_senza_velocita:
        o.speed_points.push_back({i, std::nullopt});
        break;
      default:
        slowdowns.mark(i);
        break;
    }
  }
  o.slowdowns = slowdowns.finish();
  o.speed_limits = layer_stretches(
      m, [](const cella& c) { return int{c.velocita_limite} * 5; });
  o.gradient =
      layer_stretches(m, [](const cella& c) { return int{c.pendenza} - 100; });
  o.adhesion =
      layer_stretches(m, [](const cella& c) { return int{c.aderenza}; });
  return o;
}

}  // namespace scenario
