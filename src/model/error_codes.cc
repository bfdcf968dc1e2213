#include "model/error_codes.h"

#include <array>

#include "model/kilometres.h"
#include "model/system_reasons.h"
#include "model/text_8bit.h"

namespace scenario {
namespace {

using enum error_code;

constexpr std::array<error_code_info, 28> codes = {{
    {line_missing, false, N_("the line description does not exist")},
    {line_ends_early, false,
     N_("the line description ends before \"[generale]\"")},
    {line_too_long, false, N_("line length above 1000000 m")},
    {first_repetition, false,
     N_("first signal-repetition value is not a multiple of 50")},
    {second_repetition, false,
     N_("second signal-repetition value is not a multiple of 50")},
    {repetition_key, false,
     N_("the signal-repetition key names neither 4 nor 9 codes")},
    {curve_key, false,
     N_("curve key names no class 1 to 6, or the plan passes metre 1000000")},
    {direction_board_occupied, true, N_("direction board on an occupied cell")},
    {beyond_cells, true, N_("record lies beyond the end of the cell array")},
    {signal_occupied, true, N_("signal on an occupied cell")},
    {warning_occupied, true,
     // The distance is filled in from its one constant when shown.
     N_("slowdown warning cell (%d m before the start) is occupied")},
    {slowdown_start_occupied, true, N_("slowdown start cell is occupied")},
    {slowdown_end_occupied, true, N_("slowdown end cell is occupied")},
    {approach_occupied, true,
     N_("one of the four cells before a slowdown warning is occupied")},
    {speed_board_occupied, true, N_("maximum-speed board on an occupied cell")},
    {speed_point_occupied, true, N_("speed point on an occupied cell")},
    {station_off_grid, true, N_("station position is not a multiple of 50")},
    {station_length_off_grid, true,
     N_("station length is not a multiple of 100")},
    {station_near_line_start, false,
     N_("station end too close to the start of the line")},
    {stations_too_close, true,
     N_("station starts less than 350 m after the end of the previous one")},
    {entry_table_full, false,
     N_("entry table full: the stations would reach the direction-board "
        "texts")},
    {reference_off_grid, false,
     N_("a kilometric reference is not a multiple of 50 after ordering")},
    {reading_failure, false, N_("reading or run-time failure while compiling")},
    {no_point_before_warning, true,
     N_("no room for a speed point next to a signal ahead of a slowdown "
        "warning")},
    {no_point_before_start, true,
     N_("no free cell in a speed-point window before a slowdown start")},
    {no_point_in_slowdown, true,
     N_("no free cell for a speed point inside a slowdown or next to the first "
        "signal after it")},
    {marker_slot_used, false, N_("the format marker slot is already in use")},
    {checksum_slot_used, false, N_("the checksum slot is already in use")},
}};

}  // namespace

std::span<const error_code_info> all_error_codes() { return codes; }

const error_code_info* find_error_code(int code) {
  for (const error_code_info& c : codes) {
    if (code_number(c.code) == code) return &c;
  }
  return nullptr;
}

std::string error_meaning(int code, const translator& tr) {
  const error_code_info* c = find_error_code(code);
  if (c == nullptr) return tr("unknown error");
  return tr.format(c->meaning.data(), slowdown_warning_distance_m);
}

bool error_has_position(int code) {
  const error_code_info* c = find_error_code(code);
  return c != nullptr && c->has_position;
}

std::string diagnostic_description::text() const {
  return detail.empty() ? meaning : meaning + " (" + detail + ")";
}

namespace {

// The detail in the language of `tr`, 8-bit text: its pattern translated,
// the system's reasons among its arguments too.
std::string worded_text(const diagnostic& d, const translator& tr) {
  const worded_detail& w = d.worded;
  // English is the detail as recorded, byte for byte.
  if (w.pattern == nullptr || tr.language() == "en") return d.detail;
  std::vector<std::string> args = w.args;
  for (size_t i : w.system_reasons) {
    if (i < args.size()) {
      args[i] = utf8_to_windows1252(system_reason(args[i], tr), nullptr);
    }
  }
  return fill_message(utf8_to_windows1252(tr(w.pattern), nullptr), args);
}

}  // namespace

diagnostic_description describe(const diagnostic& d, const translator& tr) {
  diagnostic_description out;
  out.label = tr.format("error %d", d.codice);
  // 8-bit text like the detail it is joined with, decoded once wherever it
  // is shown.
  out.meaning = utf8_to_windows1252(error_meaning(d.codice, tr), nullptr);
  out.detail = worded_text(d, tr);
  if (d.posizione && error_has_position(d.codice)) out.position_m = d.posizione;
  return out;
}

}  // namespace scenario
