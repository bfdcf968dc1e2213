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

namespace scenario {

// One station entry as a person reads it.
struct station_view {
  int entry = 0;  // index in voci
  const voce* v = nullptr;
  bool stops = false;  // the train stops there (or ends there)
};

// The stations: entries from 1 upward up to the first empty entry, never
// reaching an entry that a direction board uses. A station is a stop when
// its dwell (flag3) is not 0, or when it is the last one and has a time.
std::vector<station_view> stations(const scenario_model& m);

// A tunnel: a run of cells of one tunnel kind, and the name that a
// direction board shortly before its entrance gives ("(GALLERIA)(NAME)
// (m.LENGTH)"), empty when no board names it.
struct tunnel_view {
  int64_t from_m = 0;  // the first cell's start
  int64_t to_m = 0;    // the last cell's end
  int kind = 0;        // montagna
  std::string name;    // as in the entry: 8-bit text
};
std::vector<tunnel_view> tunnels(const scenario_model& m);

// The tunnel name a direction board's text gives, or empty: the groups
// after "(GALLERIA)", blanks collapsed, without the closing "m.LENGTH".
std::string tunnel_name_of_board(std::string_view text);

// "07:05:00" for 25500 s; times beyond a day keep counting hours.
std::string format_time(int64_t seconds);

// The summary: line, train, stations, signals, tunnels, boards, slowdowns,
// speed points, speed limits, gradient and adhesion changes, plan extent.
void write_summary(const scenario_model& m, std::ostream& out);

// Every field of the cells whose start (index x 50 m) lies in
// [from_m, to_m], one row each.
void write_cell_table(const scenario_model& m, int64_t from_m, int64_t to_m,
                      std::ostream& out);

// The whole scenario as one JSON object (shape in README.md).
void write_json(const scenario_model& m, std::ostream& out);

// One row per cell under a header of named columns; with `with_plan`, a
// blank line, then "metre,x,y" and one row per metre of the plan.
void write_csv(const scenario_model& m, bool with_plan, std::ostream& out);

}  // namespace scenario

#endif  // SCENARIO_DECODING_READOUT_H_
