// The railway rules every tool reads the same way: which board names a
// tunnel, when a station is a stop, how a speed board's values and stripes
// read by side, what a slowdown warning carries, and the cell of a position.
#ifndef SCENARIO_RAILWAY_RULES_H_
#define SCENARIO_RAILWAY_RULES_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/kilometres.h"
#include "model/model.h"

namespace scenario::railway {

// The cell of a position: objects (signals, boards, slowdown marks) claim
// object_cell(p) = p / 50 + 1 and layers take effect from layer_cell(p) =
// p / 50, both rounded half to even. Reason: these are the compiler's own
// functions, so every tool names the cell the simulator reads (8830 m is
// cell 178). Defined once in model/kilometres.h, beside the compiler.
using scenario::layer_cell;
using scenario::object_cell;

// The metres a record's position stands for once stamped: an object at the
// start of its cell, a layer or a tunnel entrance at the start of its cell.
inline int64_t object_metres(int64_t p) {
  return object_position_m(object_cell(p));
}
inline int64_t layer_metres(int64_t p) {
  return layer_position_m(layer_cell(p));
}

// A slowdown's warning stands slowdown_warning_distance_m (in
// model/kilometres.h, where the compiler stamps it) before its start.
constexpr int64_t warning_cells_before_start =
    slowdown_warning_distance_m / cell_length_m;

// Tunnel names. A direction board names a tunnel when its text opens with
// the group "(GALLERIA)" and the tunnel's entrance lies from 0 to
// tunnel_board_reach_m after the board. Reason: the line description sets
// every tunnel board 50 m before the entrance it announces, so a board that
// far ahead names the tunnel the driver meets next and no other; a board
// names the first tunnel within reach, and of several boards before one
// entrance the nearest names it.
constexpr int64_t tunnel_board_reach_m = 200;

// The tunnel name a board's text gives, or empty when the text does not
// open with "(GALLERIA)": the groups after it, blanks collapsed, without
// the closing length "m." and digits. Text in, text out, any encoding.
std::string tunnel_name_of_board(std::string_view text);

// The length a tunnel board states: the first "m." and digits of a text
// that holds "GALLERIA" anywhere; none for any other text. The check
// compares it with the tunnel the board reaches.
std::optional<int64_t> stated_tunnel_length(std::string_view text);

// Whether a board at `board_m` may name a tunnel entering at `entrance_m`
// (both as stamped: object_metres and layer_metres of the records).
bool board_reaches_tunnel(int64_t board_m, int64_t entrance_m);

// Of the tunnels entering at `entrances` (positions as written or as
// stamped), the index of the one a board at `board` reaches first, -1 when
// it reaches none.
int tunnel_reached_by_board(int64_t board,
                            const std::vector<int64_t>& entrances);

// For each tunnel of `entrances`, the index in `boards` (positions of the
// boards whose text gives a tunnel name) of the board that names it, -1
// when none does: of several, the nearest before the entrance.
std::vector<int> naming_boards(const std::vector<int64_t>& boards,
                               const std::vector<int64_t>& entrances);

// Stops. A station is a stop when its dwell (flag3) is not 0, and the first
// and the last station with a time are stops whatever their dwell. Reason:
// the service starts from a stand at its origin and ends at its terminus
// (whose dwell the timetable leaves 0); between them the simulator holds
// the train only where the dwell asks it to, so a timed station without a
// dwell is passed at its time.
struct station_timing {
  int64_t time_s = 0;  // time of day, 0 when untimed
  int64_t dwell_s = 0;
};
// For each station of `in_line_order`, whether it is a stop.
std::vector<bool> station_stops(
    const std::vector<station_timing>& in_line_order);

// Speed boards. Each of dato1 to dato3 packs a left and a right speed as
// left x 20 + right / 5, and dato4 packs the stripe counts as left x 10 +
// right. Reason: that is how the compiler stamps a board's two sides, so
// dato4 = 12 is one stripe on the left and two on the right.
struct board_side {
  std::array<int, 3> speeds_kmh{};
  int stripes = 0;
};
struct board_sides {
  board_side left;
  board_side right;
};
board_sides read_board(const cella& c);

// Slowdown warnings. A warning carries the speed of its slowdown in dato1,
// also when no start stands the warning distance after it. Reason: the compiler
// writes the slowdown's speed into the warning cell itself, and the simulator
// reads the speed to announce from there.
inline int warning_speed_kmh(const cella& warning) { return warning.dato1; }

// The stations. The entries from 1 upward are stations up to the first
// empty entry, and stop below the lowest entry a direction board uses.
// Reason: the compiler hands out board entries from 80 downward, so a
// board's text is never a station.
int station_entry_limit(const scenario_model& m);

}  // namespace scenario::railway

#endif  // SCENARIO_RAILWAY_RULES_H_
