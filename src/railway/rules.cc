#include "railway/rules.h"

#include <algorithm>

namespace scenario::railway {
namespace {

std::string upper_ascii(std::string_view s) {
  std::string u(s);
  for (char& c : u) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return u;
}

std::string collapse_blanks(std::string_view s) {
  std::string collapsed;
  for (char c : s) {
    if (c == ' ' && (collapsed.empty() || collapsed.back() == ' ')) continue;
    collapsed += c;
  }
  while (!collapsed.empty() && collapsed.back() == ' ') collapsed.pop_back();
  return collapsed;
}

std::vector<std::string> groups_of(std::string_view text) {
  std::vector<std::string> groups;
  for (size_t open = text.find('('); open != std::string_view::npos;
       open = text.find('(', open + 1)) {
    const size_t close = text.find(')', open);
    if (close == std::string_view::npos) break;
    groups.emplace_back(text.substr(open + 1, close - open - 1));
    open = close;
  }
  return groups;
}

}  // namespace

std::string tunnel_name_of_board(std::string_view text) {
  const std::vector<std::string> groups = groups_of(text);
  if (groups.size() < 2 ||
      upper_ascii(collapse_blanks(groups[0])) != "GALLERIA") {
    return {};
  }
  std::string name;
  for (size_t g = 1; g < groups.size(); ++g) name += groups[g] + " ";
  name = collapse_blanks(name);
  // The last word "m.LENGTH" is the tunnel's length, not its name.
  const size_t last = name.rfind(' ');
  const size_t word = last == std::string::npos ? 0 : last + 1;
  const bool length =
      name.size() > word + 2 && name.compare(word, 2, "m.") == 0 &&
      std::all_of(name.begin() + static_cast<std::ptrdiff_t>(word + 2),
                  name.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (length) {
    name.resize(word);
    name = collapse_blanks(name);
  }
  return name;
}

std::optional<int64_t> stated_tunnel_length(std::string_view text) {
  const std::string upper = upper_ascii(text);
  if (upper.find("GALLERIA") == std::string::npos) return std::nullopt;
  for (size_t at = upper.find("M."); at != std::string::npos;
       at = upper.find("M.", at + 1)) {
    size_t i = at + 2;
    while (i < upper.size() && upper[i] == ' ') ++i;
    int64_t v = 0;
    size_t digits = 0;
    while (i < upper.size() && upper[i] >= '0' && upper[i] <= '9' &&
           digits < 9) {
      v = v * 10 + (upper[i] - '0');
      ++i;
      ++digits;
    }
    if (digits > 0) return v;
  }
  return std::nullopt;
}

bool board_reaches_tunnel(int64_t board_m, int64_t entrance_m) {
  return entrance_m >= board_m && entrance_m - board_m <= tunnel_board_reach_m;
}

int tunnel_reached_by_board(int64_t board,
                            const std::vector<int64_t>& entrances) {
  int best = -1;
  const int64_t at = object_metres(board);
  for (size_t t = 0; t < entrances.size(); ++t) {
    const int64_t entrance = layer_metres(entrances[t]);
    if (board_reaches_tunnel(at, entrance) &&
        (best < 0 || entrance < layer_metres(entrances[best]))) {
      best = static_cast<int>(t);
    }
  }
  return best;
}

std::vector<int> naming_boards(const std::vector<int64_t>& boards,
                               const std::vector<int64_t>& entrances) {
  std::vector<int> named(entrances.size(), -1);
  for (size_t b = 0; b < boards.size(); ++b) {
    const int t = tunnel_reached_by_board(boards[b], entrances);
    if (t < 0) continue;
    int& by = named[static_cast<size_t>(t)];
    if (by < 0 || object_metres(boards[b]) >= object_metres(boards[by])) {
      by = static_cast<int>(b);
    }
  }
  return named;
}

std::vector<bool> station_stops(
    const std::vector<station_timing>& in_line_order) {
  std::vector<bool> stops(in_line_order.size(), false);
  for (size_t i = 0; i < in_line_order.size(); ++i) {
    stops[i] = in_line_order[i].dwell_s != 0;
  }
  const auto timed = [](const station_timing& s) { return s.time_s != 0; };
  const auto first =
      std::find_if(in_line_order.begin(), in_line_order.end(), timed);
  if (first == in_line_order.end()) return stops;
  const auto last =
      std::find_if(in_line_order.rbegin(), in_line_order.rend(), timed);
  stops[static_cast<size_t>(first - in_line_order.begin())] = true;
  stops[in_line_order.size() - 1 -
        static_cast<size_t>(last - in_line_order.rbegin())] = true;
  return stops;
}

board_sides read_board(const cella& c) {
  board_sides b;
  const int16_t d[3] = {c.dato1, c.dato2, c.dato3};
  for (int k = 0; k < 3; ++k) {
    b.left.speeds_kmh[k] = d[k] / 20;
    b.right.speeds_kmh[k] = d[k] % 20 * 5;
  }
  b.left.stripes = c.dato4 / 10;
  b.right.stripes = c.dato4 % 10;
  return b;
}

int station_entry_limit(const scenario_model& m) {
  int limit = voce_index::primo_cartello + 1;  // first entry not a station
  for (const cella& c : m.celle) {
    if (c.tipo == tipo_cella::cartello_indicatore && c.dato1 > 0) {
      limit = std::min<int>(limit, c.dato1);
    }
  }
  return limit;
}

}  // namespace scenario::railway
