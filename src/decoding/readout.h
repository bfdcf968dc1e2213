// A decoded scenario shown to its author: a summary in railway terms
// (stations, signals, tunnels, boards, slowdowns, speeds, plan extent), a
// table of chosen cells, and the whole scenario as JSON or CSV. The big
// arrays (cells, plan) are written element by element, never built whole.
#ifndef SCENARIO_DECODING_READOUT_H_
#define SCENARIO_DECODING_READOUT_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "model/text_8bit.h"
#include "model/translation.h"
#include "railway/railway_objects.h"

namespace scenario {

// "07:05:00" for 25500 s; times beyond a day keep counting hours.
std::string format_time(int64_t seconds);

// The summary: line, train, stations, signals, tunnels, boards, slowdowns,
// speed points, speed limits, gradient and adhesion changes, plan extent.
// In the language of `tr`; the files' field names stay.
void write_summary(const scenario_model& m, std::ostream& out,
                   const translator& tr);

// Every field of the cells whose start (index x 50 m) lies in
// [from_m, to_m], one row each.
void write_cell_table(const scenario_model& m, int64_t from_m, int64_t to_m,
                      std::ostream& out, const translator& tr);

// The whole scenario as one JSON object (shape in README.md).
void write_json(const scenario_model& m, std::ostream& out);

// One row per cell under a header of named columns; with `with_plan`, a
// blank line, then "metre,x,y" and one row per metre of the plan.
void write_csv(const scenario_model& m, bool with_plan, std::ostream& out);

}  // namespace scenario

#endif  // SCENARIO_DECODING_READOUT_H_
