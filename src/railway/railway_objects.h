// The railway objects of a compiled scenario, read once out of its cells and
// entries by the rules of railway/rules.h: stations (stop or pass), signals,
// tunnels with their names, boards, slowdowns, speed points and the layers'
// stretches. Every tool that shows a railway fact reads it here.
#ifndef SCENARIO_RAILWAY_RAILWAY_OBJECTS_H_
#define SCENARIO_RAILWAY_RAILWAY_OBJECTS_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace scenario {

// One station entry as a person reads it.
struct station_view {
  int entry = 0;  // index in voci
  const voce* v = nullptr;
  bool stops = false;  // a stop, by railway::station_stops
  // The cell of its end mark (tipo 10 naming this entry), -1 when none.
  int64_t end_mark_cell = -1;
};

// The stations (railway::station_entry_limit), each a stop or a pass
// (railway::station_stops).
std::vector<station_view> stations(const scenario_model& m);

// A tunnel: a run of cells of one tunnel kind, and the name that a
// direction board gives by the rule of railway/rules.h, empty when no board
// names it.
struct tunnel_view {
  int64_t from_m = 0;       // the first cell's start
  int64_t to_m = 0;         // the last cell's end
  int kind = 0;             // montagna
  std::string name;         // as in the entry: 8-bit text
  int64_t board_cell = -1;  // the board that names it, -1 when none
};
std::vector<tunnel_view> tunnels(const scenario_model& m);

struct signal_view {
  int64_t cell = 0;
  int left_kind = 0;           // sx
  int right_kind = 0;          // dx
  std::array<int, 3> left{};   // s1 s2 s3
  std::array<int, 3> right{};  // d1 d2 d3
  int rapp = 0;
  int tempo = 0;
};

struct direction_board_view {
  int64_t cell = 0;
  int entry = 0;            // dato1
  const voce* v = nullptr;  // null when dato1 names no entry
};

struct speed_board_view {
  int64_t cell = 0;
  std::array<int, 3> left{};   // a b c, km/h
  std::array<int, 3> right{};  // km/h, read as dato % 20 x 5
  int left_stripes = 0;
  int right_stripes = 0;
};

// A slowdown: its start and end marks with the warning
// slowdown_warning_distance_m before the start
// (railway::warning_cells_before_start) and the four approach marks before the
// warning. A mark whose companions are missing (a damaged or hand-made file)
// still makes one.
struct slowdown_view {
  std::optional<int64_t> warning_cell;
  std::optional<int64_t> start_cell;
  std::optional<int64_t> end_cell;  // the start's own cell when it is its end
  int speed = 0;                    // dato1, km/h
  int second_speed = 0;             // dato2, 0 when none
  int f_tt = 0;                     // dato3 of the start and end
  bool approach = false;            // the four approach marks stand there
  // The first mark that exists, in the order start, end, warning.
  int64_t first_cell() const;
};

struct speed_point_view {
  int64_t cell = 0;
  std::optional<int> speed;  // km/h; none for a point without a speed
};

// A run of cells with one layer value, cells [from_cell, to_cell).
struct layer_stretch {
  int64_t from_cell = 0;
  int64_t to_cell = 0;
  int value = 0;
};

struct railway_objects {
  std::vector<station_view> stations;
  std::vector<signal_view> signals;
  std::vector<tunnel_view> tunnels;
  std::vector<direction_board_view> direction_boards;
  std::vector<speed_board_view> speed_boards;
  std::vector<slowdown_view> slowdowns;
  std::vector<speed_point_view> speed_points;
  std::vector<layer_stretch> speed_limits;  // km/h (velocita_limite x 5)
  std::vector<layer_stretch> gradient;      // pendenza - 100
  std::vector<layer_stretch> adhesion;      // aderenza
};

// Every object of `m`, each list in the order of the line. The views point
// into `m`, which must outlive them.
railway_objects read_railway_objects(const scenario_model& m);

// The last cell that carries layer values (speed, gradient, adhesion): the
// last three cells never receive them.
int64_t last_layer_cell(const scenario_model& m);

}  // namespace scenario

#endif  // SCENARIO_RAILWAY_RAILWAY_OBJECTS_H_
