#include "model/error_codes.h"

#include <array>
#include <cstddef>

#include "model/kilometres.h"

namespace scenario {
namespace {

using enum error_code;

// A meaning that states a distance the compiler works with, built at
// compile time from the distance's one constant.
struct fixed_text {
  std::array<char, 96> chars{};
  size_t size = 0;

  constexpr fixed_text& operator+=(std::string_view s) {
    for (char c : s) chars[size++] = c;
    return *this;
  }
  constexpr fixed_text& operator+=(int64_t n) {
    char digits[20] = {};
    size_t count = 0;
    do {
      digits[count++] = static_cast<char>('0' + n % 10);
      n /= 10;
    } while (n > 0);
    while (count > 0) chars[size++] = digits[--count];
    return *this;
  }
  constexpr std::string_view view() const { return {chars.data(), size}; }
};

constexpr fixed_text warning_occupied_meaning = [] {
  fixed_text t;
  t += "slowdown warning cell (";
  t += slowdown_warning_distance_m;
  t += " m before the start) is occupied";
  return t;
}();

constexpr std::array<error_code_info, 28> codes = {{
    {line_missing, false, "the line description does not exist"},
    {line_ends_early, false, "the line description ends before \"[generale]\""},
    {line_too_long, false, "line length above 1000000 m"},
    {first_repetition, false,
     "first signal-repetition value is not a multiple of 50"},
    {second_repetition, false,
     "second signal-repetition value is not a multiple of 50"},
    {repetition_key, false,
     "the signal-repetition key names neither 4 nor 9 codes"},
    {curve_key, false,
     "curve key names no class 1 to 6, or the plan passes metre 1000000"},
    {direction_board_occupied, true, "direction board on an occupied cell"},
    {beyond_cells, true, "record lies beyond the end of the cell array"},
    {signal_occupied, true, "signal on an occupied cell"},
    {warning_occupied, true, warning_occupied_meaning.view()},
    {slowdown_start_occupied, true, "slowdown start cell is occupied"},
    {slowdown_end_occupied, true, "slowdown end cell is occupied"},
    {approach_occupied, true,
     "one of the four cells before a slowdown warning is occupied"},
    {speed_board_occupied, true, "maximum-speed board on an occupied cell"},
    {speed_point_occupied, true, "speed point on an occupied cell"},
    {station_off_grid, true, "station position is not a multiple of 50"},
    {station_length_off_grid, true, "station length is not a multiple of 100"},
    {station_near_line_start, false,
     "station end too close to the start of the line"},
    {stations_too_close, true,
     "station starts less than 350 m after the end of the previous one"},
    {entry_table_full, false,
     "entry table full: the stations would reach the direction-board texts"},
    {reference_off_grid, false,
     "a kilometric reference is not a multiple of 50 after ordering"},
    {reading_failure, false, "reading or run-time failure while compiling"},
    {no_point_before_warning, true,
     "no room for a speed point next to a signal ahead of a slowdown "
     "warning"},
    {no_point_before_start, true,
     "no free cell in a speed-point window before a slowdown start"},
    {no_point_in_slowdown, true,
     "no free cell for a speed point inside a slowdown or next to the first "
     "signal after it"},
    {marker_slot_used, false, "the format marker slot is already in use"},
    {checksum_slot_used, false, "the checksum slot is already in use"},
}};

}  // namespace

std::span<const error_code_info> all_error_codes() { return codes; }

const error_code_info* find_error_code(int code) {
  for (const error_code_info& c : codes) {
    if (code_number(c.code) == code) return &c;
  }
  return nullptr;
}

std::string_view error_meaning(int code) {
  const error_code_info* c = find_error_code(code);
  return c != nullptr ? c->meaning : "unknown error";
}

bool error_has_position(int code) {
  const error_code_info* c = find_error_code(code);
  return c != nullptr && c->has_position;
}

std::string diagnostic_description::text() const {
  return detail.empty() ? meaning : meaning + " (" + detail + ")";
}

diagnostic_description describe(const diagnostic& d) {
  diagnostic_description out;
  out.label = "error " + std::to_string(d.codice);
  out.meaning = std::string(error_meaning(d.codice));
  out.detail = d.detail;
  if (d.posizione && error_has_position(d.codice)) out.position_m = d.posizione;
  return out;
}

}  // namespace scenario
