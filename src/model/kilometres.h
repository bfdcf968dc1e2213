// Positions in railway terms: metres written as kilometres "17+600", and the
// position that a cell stands for. Shared by every reader of a scenario
// (inspection, comparison, drawing, checking) so that all speak alike.
#ifndef SCENARIO_MODEL_KILOMETRES_H_
#define SCENARIO_MODEL_KILOMETRES_H_

#include <cstdint>
#include <string>

#include "model/model.h"

namespace scenario {

// "17+600" for 17600 m, "0+050" for 50 m, "-0+050" for -50 m.
std::string format_km(int64_t metres);

// Objects (signals, slowdown marks, boards) claim the cell p / 50 + 1, the
// quotient rounded half to even as the compiler stamps them: 8830 m is cell
// 178. Computed in 64 bits, so that p - 1200 or p + a length never overflows.
inline int64_t object_cell(int64_t p) {
  return div_round_even(p + cell_length_m, cell_length_m);
}

// Layers (speed limit, gradient, adhesion) and speed points take effect from
// cell p / 50, rounded half to even, without the + 1 of an object.
inline int64_t layer_cell(int64_t p) {
  return div_round_even(p, cell_length_m);
}

// A slowdown's warning stands this far before its start: the distance the
// driver is given to brake down to the slowdown's speed.
constexpr int64_t slowdown_warning_distance_m = 1200;
// A slowdown that starts at or before this position has no warning (nor
// approach marks): there is no room for the braking distance before it.
constexpr int64_t slowdown_warning_threshold_m = 1500;

// Cell i holds the objects of (i - 1) x 50 m.
inline int64_t object_position_m(int64_t cell) {
  return (cell - 1) * cell_length_m;
}

// Cell i holds the layer values and speed point of i x 50 m.
inline int64_t layer_position_m(int64_t cell) { return cell * cell_length_m; }

// The position a cell stands for, by what it holds: objects by the object
// rule, speed points and empty cells by the layer rule.
int64_t cell_position_m(const cella& c, int64_t cell);

}  // namespace scenario

#endif  // SCENARIO_MODEL_KILOMETRES_H_
