// Test helpers for the scenario's content: the records of the writers'
// tables read back into plain structs (sections, curves, tunnels, boards,
// speed limits, stations, signals, timetable rows), so that tests can check
// the data itself. Malformed numbers are reported as test failures.
#ifndef SCENARIO_TESTS_SOURCES_CONTENT_RECORDS_H_
#define SCENARIO_TESTS_SOURCES_CONTENT_RECORDS_H_

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "sources/sources.h"

namespace scenario::testing {

// The cell array of this line: (99500 + 7000) / 50.
constexpr int32_t scenario_numero_celle = 2130;

inline bool is_section_head(std::string_view line) {
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// The lines between the head `head` and the next head.
inline std::vector<std::string_view> section(
    std::span<const std::string_view> lines, std::string_view head) {
  std::vector<std::string_view> out;
  bool inside = false;
  for (std::string_view line : lines) {
    if (is_section_head(line)) {
      inside = line == head;
      continue;
    }
    if (inside) out.push_back(line);
  }
  return out;
}

// The columns of a record: the key, then each field with its blanks.
inline std::vector<std::string_view> columns(std::string_view line) {
  std::vector<std::string_view> out;
  size_t start = 0;
  for (;;) {
    const size_t comma = line.find(',', start);
    out.push_back(line.substr(start, comma - start));
    if (comma == std::string_view::npos) return out;
    start = comma + 1;
  }
}

// A field of blanks followed by decimal digits; blank-only reads as 0, as
// the compiler reads an empty field.
inline std::optional<int64_t> field_number(std::string_view field) {
  size_t i = 0;
  while (i < field.size() && field[i] == ' ') ++i;
  if (i == field.size()) return 0;
  int64_t v = 0;
  for (; i < field.size(); ++i) {
    if (field[i] < '0' || field[i] > '9') return std::nullopt;
    v = v * 10 + (field[i] - '0');
  }
  return v;
}

inline int32_t number(std::string_view field, std::string_view line) {
  const std::optional<int64_t> v = field_number(field);
  if (!v) {
    ADD_FAILURE() << "not a number: \"" << field << "\" in \"" << line << "\"";
    return -1;
  }
  return static_cast<int32_t>(*v);
}

// The field right-aligned in exactly `width` characters: blanks, then at
// least one digit, no leading zero.
inline bool right_aligned(std::string_view field, size_t width) {
  if (field.size() != width) return false;
  const size_t first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  if (field[first] == '0' && first + 1 < field.size()) return false;
  return field_number(field).has_value();
}

// Cell claimed by a board or a signal at `p`: p / 50 + 1, halves to even.
inline int64_t object_cell(int64_t p) {
  return div_round_even(p, cell_length_m) + 1;
}

// Whether a record at `p` with margin `m` lies inside the cell array.
inline bool passes_range_check(int64_t p, int64_t margin) {
  return (p + margin) <= int64_t{scenario_numero_celle} * cell_length_m;
}

// ---- Line description ----

struct curve_record {
  std::string key;
  int32_t posizione;
  int32_t lunghezza;
};

struct tunnel_record {
  int32_t inizio;
  int32_t fine;
  int32_t tipo;
};

struct speed_board_record {
  int32_t posizione;
  std::array<int32_t, 8> values;  // vas vbs vcs strisces vad vbd vcd strisced
};

struct direction_board_record {
  int32_t posizione;
  std::string text;
};

inline std::vector<curve_record> line_curves() {
  std::vector<curve_record> out;
  for (std::string_view l : section(linea_lines(), "[curve]")) {
    const auto c = columns(l);
    if (c.size() != 3) {
      ADD_FAILURE() << "curve record with " << c.size() << " columns: " << l;
      continue;
    }
    out.push_back({std::string(c[0]), number(c[1], l), number(c[2], l)});
  }
  return out;
}

inline std::vector<tunnel_record> line_tunnels() {
  std::vector<tunnel_record> out;
  for (std::string_view l : section(linea_lines(), "[montagne]")) {
    const auto c = columns(l);
    if (c.size() != 4) {
      ADD_FAILURE() << "tunnel record with " << c.size() << " columns: " << l;
      continue;
    }
    out.push_back({number(c[1], l), number(c[2], l), number(c[3], l)});
  }
  return out;
}

inline std::vector<speed_board_record> line_speed_boards() {
  std::vector<speed_board_record> out;
  for (std::string_view l : section(linea_lines(), "[cartelli]")) {
    const auto c = columns(l);
    if (c.size() != 10) {
      ADD_FAILURE() << "speed board with " << c.size() << " columns: " << l;
      continue;
    }
    speed_board_record r{number(c[1], l), {}};
    for (size_t i = 0; i < 8; ++i) r.values[i] = number(c[i + 2], l);
    out.push_back(r);
  }
  return out;
}

inline std::vector<direction_board_record> line_direction_boards() {
  std::vector<direction_board_record> out;
  for (std::string_view l : section(linea_lines(), "[indicazioni]")) {
    const auto c = columns(l);
    if (c.size() != 3) {
      ADD_FAILURE() << "direction board with " << c.size() << " columns: " << l;
      continue;
    }
    const size_t start = c[2].find_first_not_of(' ');
    out.push_back(
        {number(c[1], l),
         std::string(c[2].substr(start == std::string_view::npos ? c[2].size()
                                                                 : start))});
  }
  return out;
}

// ---- Train and service description ----

struct speed_limit_record {
  int32_t posizione;
  int32_t velocita;
};

struct station_record {
  std::array<int32_t, 17> field{};  // field[1..16] as numbered after the key
  std::string nome;
  int32_t posizione() const { return field[1]; }
  int32_t tipo() const { return field[2]; }
  int32_t lunghezza() const { return field[3]; }
  int32_t flag3() const { return field[13]; }
  int32_t seconds_of_day() const {
    return (field[14] * 60 + field[15]) * 60 + field[16];
  }
};

struct signal_record {
  std::array<int32_t, 12> field{};  // field[1..11]: posizione sx s1 s2 ...
  int32_t posizione() const { return field[1]; }
  int32_t sx() const { return field[2]; }
};

inline std::vector<speed_limit_record> train_speed_limits() {
  std::vector<speed_limit_record> out;
  for (std::string_view l : section(treno_lines(), "[vel_limite]")) {
    const auto c = columns(l);
    if (c.size() != 3) {
      ADD_FAILURE() << "speed limit with " << c.size() << " columns: " << l;
      continue;
    }
    out.push_back({number(c[1], l), number(c[2], l)});
  }
  return out;
}

inline std::vector<station_record> train_stations() {
  std::vector<station_record> out;
  for (std::string_view l : section(treno_lines(), "[stazioni]")) {
    const auto c = columns(l);
    if (c.size() != 18) {
      ADD_FAILURE() << "station with " << c.size() << " columns: " << l;
      continue;
    }
    station_record s;
    for (size_t i = 1; i <= 16; ++i) s.field[i] = number(c[i], l);
    s.nome = std::string(c[17].substr(c[17].empty() ? 0 : 1));
    out.push_back(s);
  }
  return out;
}

inline std::vector<signal_record> train_signals() {
  std::vector<signal_record> out;
  for (std::string_view l : section(treno_lines(), "[segnali]")) {
    const auto c = columns(l);
    if (c.size() != 12) {
      ADD_FAILURE() << "signal with " << c.size() << " columns: " << l;
      continue;
    }
    signal_record s;
    for (size_t i = 1; i <= 11; ++i) s.field[i] = number(c[i], l);
    out.push_back(s);
  }
  return out;
}

// The zone of a station as the compiler derives it: kinds 5 and 6 end 150 m
// after the position, 7 and 8 one length after it, the others half a length
// either side plus 50 m when field 6 is set (it counts before it is cleared
// for the first station).
struct station_zone {
  int32_t inizio;
  int32_t fine;
};

inline station_zone zone_of(const station_record& s) {
  const int32_t p = s.posizione();
  const int32_t len = s.lunghezza();
  switch (s.tipo()) {
    case 5:
    case 6:
      return {p - len, p + 150};
    case 7:
    case 8:
      return {p - len, p + len};
    default:
      return {p - len / 2, p + len / 2 + (s.field[6] != 0 ? 50 : 0)};
  }
}

// Stations of kinds below 25 mark the cell fine / 50 - 1 (no + 1).
inline bool has_end_mark(const station_record& s) { return s.tipo() < 25; }
inline int64_t end_mark_cell(const station_record& s) {
  return div_round_even(zone_of(s).fine, cell_length_m) - 1;
}

}  // namespace scenario::testing

#endif  // SCENARIO_TESTS_SOURCES_CONTENT_RECORDS_H_
