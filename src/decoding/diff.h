// What changed between two compiled scenarios, in railway terms: cells by
// position and named field, entries by their use (station, board, general
// values), the plan as ranges of metres. Used by `scenario diff` to answer
// "what did my change to the description do?".
#ifndef SCENARIO_DECODING_DIFF_H_
#define SCENARIO_DECODING_DIFF_H_

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"

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

// The differences from `a` to `b`, one line each, in this order: the cell
// count and the cells, the entries, the plan's extent and the plan. Values
// read "old → new". Empty when the cells, entries and plans are the same.
// Identical runs of cells (the same fields changed the same way) share one
// line; nothing that differs is left unnamed.
std::vector<std::string> diff_scenarios(const scenario_model& a,
                                        const scenario_model& b,
                                        const diff_options& options = {});

// An entry text as readable UTF-8 between double quotes: the 8-bit
// characters are read as Windows-1252; control characters, quotes and
// backslashes are escaped.
std::string quote_entry_text(const std::string& text);

}  // namespace scenario

#endif  // SCENARIO_DECODING_DIFF_H_
