// What a drawing of a scenario shows, read out of a scenario model: the
// layers (speed limit, gradient, elevation), the objects of the cells, the
// stations of the entry table, the tunnels with the names their direction
// boards give, the plan reduced to the drawing's resolution and the recorded
// problems. Every text is UTF-8 here; the page escapes it.
#ifndef SCENARIO_DRAWING_SCENE_H_
#define SCENARIO_DRAWING_SCENE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/translation.h"

namespace scenario::drawing {

// A run of cells with one layer value, [start_m, end_m).
struct layer_run {
  int64_t start_m = 0;
  int64_t end_m = 0;
  int value = 0;
};

struct station {
  int entry = 0;     // index in the entry table
  std::string name;  // UTF-8
  int kind = 0;      // voce.tipo
  int64_t position_m = 0;
  int64_t zone_start_m = 0;
  int64_t zone_end_m = 0;
  int32_t time_s = 0;  // time of day; 0 when the service gives none
  bool stops = false;  // a stop or a pass, by the railway rule
};

struct tunnel {
  int64_t start_m = 0;
  int64_t end_m = 0;
  int kind = 0;  // 1, 2 or 3 (montagna)
  std::string
      name;  // from the board that names it (railway rule); may be empty
};

struct signal_mark {
  int64_t position_m = 0;
  int left_kind = 0;   // sx
  int right_kind = 0;  // dx
  int rapp = 0;
  std::string aspects;  // the three packed value pairs, "41 10 0"
};

struct slowdown {
  std::optional<int64_t> warning_m;
  int64_t start_m = 0;
  int64_t end_m = 0;
  int speed_kmh = 0;
  int second_speed_kmh = 0;  // 0 when none
};

struct speed_point {
  int64_t position_m = 0;
  std::optional<int> speed_kmh;  // none for a point without a speed
};

struct speed_board {
  int64_t position_m = 0;
  std::string speeds;  // "90/95/95", right side after " | " when present
  int left_stripes = 0;
  int right_stripes = 0;
};

struct direction_board {
  int64_t position_m = 0;
  std::string text;  // UTF-8, as read
};

// A problem of the scenario: a code the compilation recorded, or a finding
// of the check of its descriptions (an error or a warning).
struct problem {
  int code = 0;  // 0 for a warning
  std::optional<int64_t> position_m;
  std::string file;  // UTF-8
  int line = 0;
  std::string meaning;
  std::string detail;
  int column = 0;         // 1-based; 0 when unknown
  std::string warning{};  // the warning's -W name; empty for a code
  bool is_error = true;   // false for a warning (unless -Werror)
  // Recorded by the strict compilation that builds the simulator's files;
  // the first such code is where that compilation stops.
  bool strict = true;
  bool stops_build = false;
  // "16" for a code, the -W name for a warning.
  std::string label() const {
    return warning.empty() ? std::to_string(code) : warning;
  }
};

struct plan_point {
  double x = 0;
  double y = 0;
};

struct scene {
  std::string route;  // UTF-8
  std::string train;
  int64_t line_length_m = 0;  // the length the line description gives
  int64_t extent_m = 0;       // end of the last cell with layer values
  bool has_cells = false;

  std::vector<layer_run> speed_limit;  // km/h
  std::vector<layer_run> gradient;     // per mille, as stored minus 100
  // Elevation in metres at every cell boundary 0, 50, 100 ... extent_m,
  // integrated from the gradient (per mille) from 0 at the start.
  std::vector<double> elevation_m;

  std::vector<station> stations;
  std::vector<tunnel> tunnels;
  std::vector<signal_mark> signals;
  std::vector<slowdown> slowdowns;
  std::vector<speed_point> speed_points;
  std::vector<speed_board> speed_boards;
  std::vector<direction_board> direction_boards;
  std::vector<problem> problems;
};

// Reads the drawing's content out of `m` (cells, entries, diagnostics, the
// codes' meanings in the language of `tr`).
scene read_scene(const scenario_model& m, const translator& tr);

// The plan polyline of `m` from metre 0 to its last computed metre,
// simplified so that no metre of the line lies farther than `tolerance`
// (plan units, metres) from the drawn polyline. Empty without a plan.
std::vector<plan_point> simplified_plan(const tracciato_t& plan,
                                        double tolerance);

// The plan point of metre `metre`, when the plan has one.
std::optional<plan_point> plan_point_at(const tracciato_t& plan, int64_t metre);

// Time of day "7:05" or "7:05:30" when the seconds are not 0.
std::string format_time_of_day(int32_t seconds);

}  // namespace scenario::drawing

#endif  // SCENARIO_DRAWING_SCENE_H_
