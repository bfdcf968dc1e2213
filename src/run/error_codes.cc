#include "run/error_codes.h"

#include <array>

namespace scenario {
namespace {

struct code_info {
  int code;
  bool has_position;
  std::string_view meaning;
};

constexpr std::array<code_info, 28> codes = {{
    {101, false, "the line description does not exist"},
    {102, false, "the line description ends before \"[generale]\""},
    {1, false, "line length above 1000000 m"},
    {3, false, "first signal-repetition value is not a multiple of 50"},
    {4, false, "second signal-repetition value is not a multiple of 50"},
    {5, false, "the signal-repetition key names neither 4 nor 9 codes"},
    {103, false,
     "curve key names no class 1 to 6, or the plan passes metre 1000000"},
    {6, true, "direction board on an occupied cell"},
    {15, true, "record lies beyond the end of the cell array"},
    {16, true, "signal on an occupied cell"},
    {17, true, "slowdown warning cell (1200 m before the start) is occupied"},
    {18, true, "slowdown start cell is occupied"},
    {19, true, "slowdown end cell is occupied"},
    {20, true, "one of the four cells before a slowdown warning is occupied"},
    {21, true, "maximum-speed board on an occupied cell"},
    {7, true, "speed point on an occupied cell"},
    {8, true, "station position is not a multiple of 50"},
    {9, true, "station length is not a multiple of 100"},
    {24, false, "station end too close to the start of the line"},
    {22, true,
     "station starts less than 350 m after the end of the previous one"},
    {10, false,
     "entry table full: the stations would reach the direction-board texts"},
    {2, false, "a kilometric reference is not a multiple of 50 after ordering"},
    {25, false, "reading or run-time failure while compiling"},
    {11, true,
     "no room for a speed point next to a signal ahead of a slowdown "
     "warning"},
    {12, true, "no free cell in a speed-point window before a slowdown start"},
    {13, true,
     "no free cell for a speed point inside a slowdown or next to the first "
     "signal after it"},
    {1250, false, "the format marker slot is already in use"},
    {1251, false, "the checksum slot is already in use"},
}};

const code_info* find(int code) {
  for (const code_info& c : codes) {
    if (c.code == code) return &c;
  }
  return nullptr;
}

constexpr std::array<int, codes.size()> code_numbers = [] {
  std::array<int, codes.size()> n{};
  for (size_t i = 0; i < codes.size(); ++i) n[i] = codes[i].code;
  return n;
}();

}  // namespace

std::span<const int> all_error_codes() { return code_numbers; }

std::string_view error_meaning(int code) {
  const code_info* c = find(code);
  return c != nullptr ? c->meaning : "unknown error";
}

bool error_has_position(int code) {
  const code_info* c = find(code);
  return c != nullptr && c->has_position;
}

}  // namespace scenario
