// What changed between two compiled scenarios, in railway terms: cells by
// position and named field, entries by their use (station, board, general
// values), the plan as ranges of metres. Used by `scenario diff` to answer
// "what did my change to the description do?".
#ifndef SCENARIO_DECODING_DIFF_H_
#define SCENARIO_DECODING_DIFF_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/translation.h"

namespace scenario {

struct diff_options {
  // Cell changes closer than this many cells (2 km) belong to one stretch.
  int64_t stretch_gap_cells = 40;
  // A stretch that would take more lines than this (a shifted section, say)
  // is summarised with one line per field: its range, how many cells differ
  // and, when few, the ways they change. 0 lists every change however many
  // there are.
  int max_stretch_lines = 40;
  // Differing plan metres separated by fewer equal metres than this form
  // one range.
  int64_t plan_gap_m = cell_length_m;
};

// Differences that a reading in railway objects already explains, left out
// of the listing: per cell and per entry a bit for each field, in file order
// (bit 0 tipo ... bit 10 aderenza; bit 0 tipo ... bit 15 orario).
struct diff_mask {
  std::vector<uint16_t> cells;  // by cell index; missing cells mask nothing
  std::array<uint16_t, voci_count> entries{};
  bool cell_count = false;  // the line saying the cell counts differ
  bool plan = false;        // every plan line
};

namespace cell_bit {
constexpr uint16_t tipo = 1 << 0, dato1 = 1 << 1, dato2 = 1 << 2,
                   dato3 = 1 << 3, dato4 = 1 << 4, tempo = 1 << 5,
                   avviso = 1 << 6, montagna = 1 << 7, velocita_limite = 1 << 8,
                   pendenza = 1 << 9, aderenza = 1 << 10;
}  // namespace cell_bit
namespace entry_bit {
constexpr uint16_t tipo = 1 << 0, inizio = 1 << 1, fine = 1 << 2,
                   posizione = 1 << 3, flag1 = 1 << 4, nome = 1 << 5,
                   num1 = 1 << 6, num2 = 1 << 7, num3 = 1 << 8, num4 = 1 << 9,
                   num5 = 1 << 10, flag2 = 1 << 11, flag3 = 1 << 12,
                   flag4 = 1 << 13, flag5 = 1 << 14, orario = 1 << 15;
constexpr uint16_t all = 0xFFFF;
}  // namespace entry_bit

// The differences from `a` to `b`, one line each, in this order: the cell
// count and the cells, the entries, the plan's extent and the plan. Values
// read "old → new". Empty when the cells, entries and plans are the same.
// Identical runs of cells (the same fields changed the same way) share one
// line; nothing that differs is left unnamed.
// With `mask`, the differences it names are left out. The words are in the
// language of `tr`; the files' field names stay.
std::vector<std::string> diff_scenarios(const scenario_model& a,
                                        const scenario_model& b,
                                        const diff_options& options = {},
                                        const diff_mask* mask = nullptr,
                                        const translator& tr = translator());

// An entry text as readable UTF-8 between double quotes: the 8-bit
// characters are read as Windows-1252; control characters, quotes and
// backslashes are escaped.
std::string quote_entry_text(const std::string& text);

}  // namespace scenario

#endif  // SCENARIO_DECODING_DIFF_H_
