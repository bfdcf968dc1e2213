// The codes a compilation records, each with what it means to a person and
// whether it is recorded with a position, and the one description of a
// recorded diagnostic that every tool prints, lists or draws.
#ifndef SCENARIO_MODEL_ERROR_CODES_H_
#define SCENARIO_MODEL_ERROR_CODES_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/model.h"
#include "model/translation.h"

namespace scenario {

// Every code, by the number the simulator's files and the console show.
enum class error_code : int {
  line_missing = 101,     // the line description does not exist
  line_ends_early = 102,  // ends before "[generale]"
  line_too_long = 1,      // above 1000000 m
  first_repetition = 3,   // first signal-repetition value not 50s
  second_repetition = 4,  // second signal-repetition value not 50s
  repetition_key = 5,     // names neither 4 nor 9 codes
  curve_key = 103,        // no class 1 to 6, or the plan passes 1000 km
  direction_board_occupied = 6,
  beyond_cells = 15,
  signal_occupied = 16,
  warning_occupied = 17,  // the warning cell 1200 m before a slowdown
  slowdown_start_occupied = 18,
  slowdown_end_occupied = 19,
  approach_occupied = 20,  // one of the four cells before the warning
  speed_board_occupied = 21,
  speed_point_occupied = 7,
  station_off_grid = 8,         // position not a multiple of 50
  station_length_off_grid = 9,  // length not a multiple of 100
  station_near_line_start = 24,
  stations_too_close = 22,  // less than 350 m after the previous one
  entry_table_full = 10,
  reference_off_grid = 2,  // a kilometric reference after ordering
  reading_failure = 25,
  no_point_before_warning = 11,
  no_point_before_start = 12,
  no_point_in_slowdown = 13,
  marker_slot_used = 1250,
  checksum_slot_used = 1251,
};

// The number of a code, as recorded in the model.
constexpr int code_number(error_code c) { return static_cast<int>(c); }

struct error_code_info {
  error_code code;
  bool has_position;         // recorded together with a position in metres
  std::string_view meaning;  // English, marked for translation
};

// Every code, in the order a reader meets them (the line before the train,
// the post-processing and the output slots last).
std::span<const error_code_info> all_error_codes();

// The entry of `code`, or null for a number that is no code.
const error_code_info* find_error_code(int code);

// Plain-words meaning of a code in the language of `tr`; "unknown error" for
// a number not listed.
std::string_view error_meaning(int code, const translator& tr = translator());

// True when the code is recorded together with a position in metres.
bool error_has_position(int code);

// A recorded diagnostic as a person reads it, whatever shows it.
struct diagnostic_description {
  std::string label;    // "error 16"
  std::string meaning;  // the code's meaning (8-bit text)
  std::string detail;   // what the compiler added (8-bit text), or empty
  // Where along the line, only for a code recorded with a position.
  std::optional<int32_t> position_m;

  // The meaning, then the detail in parentheses: 8-bit text.
  std::string text() const;
};

diagnostic_description describe(const diagnostic& d,
                                const translator& tr = translator());

}  // namespace scenario

#endif  // SCENARIO_MODEL_ERROR_CODES_H_
