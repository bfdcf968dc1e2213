#include "railway/railway_objects.h"

#include <algorithm>
#include <set>
#include <utility>

#include "model/kilometres.h"

namespace scenario {
namespace {

// The warning stands 1200 m (24 cells) before the start; the approach marks
// in the four cells below the warning, the nearest carrying 1.
constexpr int64_t warning_cells_before_start = 1200 / cell_length_m;

std::set<int> board_entries(const scenario_model& m) {
  std::set<int> entries;
  for (const cella& c : m.celle) {
    if (c.tipo == tipo_cella::cartello_indicatore && c.dato1 > 0 &&
        c.dato1 < voci_count) {
      entries.insert(c.dato1);
    }
  }
  return entries;
}

std::string upper_ascii(std::string_view s) {
  std::string u(s);
  for (char& c : u) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return u;
}

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
  speed_board_view b;
  b.cell = cell;
  const int16_t d[3] = {c.dato1, c.dato2, c.dato3};
  for (int k = 0; k < 3; ++k) {
    b.left[k] = d[k] / 20;
    b.right[k] = d[k] % 20 * 5;
  }
  b.left_stripes = c.dato4 / 10;
  b.right_stripes = c.dato4 % 10;
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
      d.speed = m_.celle[w].dato1;
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
                       i - warning_cells_before_start);
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
  const std::set<int> boards = board_entries(m);
  std::vector<station_view> list;
  for (int k = voce_index::prima_stazione; k <= voce_index::primo_cartello;
       ++k) {
    if (m.voci[k] == voce{} || boards.count(k) != 0) break;
    list.push_back({k, &m.voci[k], m.voci[k].flag3 != 0});
  }
  if (!list.empty() && list.back().v->orario != 0) list.back().stops = true;
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

std::string tunnel_name_of_board(std::string_view text) {
  std::vector<std::string> groups;
  for (size_t open = text.find('('); open != std::string_view::npos;
       open = text.find('(', open + 1)) {
    const size_t close = text.find(')', open);
    if (close == std::string_view::npos) break;
    groups.emplace_back(text.substr(open + 1, close - open - 1));
    open = close;
  }
  const auto trim_blanks = [](std::string s) {
    std::string collapsed;
    for (char c : s) {
      if (c == ' ' && (collapsed.empty() || collapsed.back() == ' ')) continue;
      collapsed += c;
    }
    while (!collapsed.empty() && collapsed.back() == ' ') collapsed.pop_back();
    return collapsed;
  };
  if (groups.size() < 2 || upper_ascii(trim_blanks(groups[0])) != "GALLERIA") {
    return {};
  }
  std::string name;
  for (size_t g = 1; g < groups.size(); ++g) name += groups[g] + " ";
  name = trim_blanks(name);
  // The last word "m.LENGTH" is the tunnel's length, not its name.
  const size_t last = name.rfind(' ');
  const size_t word = last == std::string::npos ? 0 : last + 1;
  if (name.compare(word, 2, "m.") == 0) {
    name.resize(word);
    name = trim_blanks(name);
  }
  return name;
}

std::vector<tunnel_view> tunnels(const scenario_model& m) {
  // A board stands shortly before the entrance it names.
  constexpr int64_t board_reach_m = 200;
  std::vector<std::pair<int64_t, std::string>> named;  // board position, name
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const cella& c = m.celle[i];
    if (c.tipo == tipo_cella::cartello_indicatore && c.dato1 >= 0 &&
        c.dato1 < voci_count) {
      std::string name = tunnel_name_of_board(m.voci[c.dato1].nome);
      if (!name.empty()) named.emplace_back(object_position_m(i), name);
    }
  }
  std::vector<tunnel_view> list;
  const int64_t n = static_cast<int64_t>(m.celle.size());
  for (int64_t i = 0; i < n;) {
    const uint8_t kind = m.celle[i].montagna;
    int64_t j = i + 1;
    while (j < n && m.celle[j].montagna == kind) ++j;
    if (kind != 0) {
      tunnel_view t{layer_position_m(i), layer_position_m(j), kind, {}};
      for (const auto& [at, name] : named) {
        if (at <= t.from_m && t.from_m - at <= board_reach_m) t.name = name;
      }
      list.push_back(std::move(t));
    }
    i = j;
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
