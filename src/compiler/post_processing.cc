#include "compiler/post_processing.h"

#include <cstdint>

#include "compiler/minimo.h"
#include "model/error_codes.h"

namespace scenario {

namespace {

constexpr int16_t added_point_kmh = 180;
constexpr int16_t slow_slowdown_below_kmh = 110;
constexpr int64_t warning_look_back = 20;  // cells before a warning point
constexpr int64_t lowest_signal_cell = 3;  // two free cells must fit below
constexpr int point_spacing = 8;           // 400 m between points
constexpr int64_t signal_look_ahead = 12;  // 600 m after a slowdown's end
constexpr int code_signal_before_warning =
    code_number(error_code::no_point_before_warning);
constexpr int code_window_full = code_number(error_code::no_point_before_start);
constexpr int code_no_cell_for_point =
    code_number(error_code::no_point_in_slowdown);

// A window of three cells before a slowdown's start: used only when the
// start cell is above `after`; cells j - nearest, j - nearest - 1 and
// j - nearest - 2 are tried in this order.
struct start_window {
  int64_t after;
  int64_t nearest;
};
constexpr start_window start_windows[] = {{7, 5}, {13, 11}, {20, 18}};

// Every access goes through these guards, so no index arithmetic of the
// pass can reach outside the array.
int64_t last_cell(const scenario_model& m) {
  const int64_t stored = static_cast<int64_t>(m.celle.size()) - 1;
  return m.numero_celle < stored ? m.numero_celle : stored;
}

bool inside(const scenario_model& m, int64_t i) {
  return i >= 0 && i <= last_cell(m);
}

bool free_at(const scenario_model& m, int64_t i) {
  return inside(m, i) && is_free(m.celle[static_cast<size_t>(i)]);
}

bool tipo_at(const scenario_model& m, int64_t i, uint8_t tipo) {
  return inside(m, i) && m.celle[static_cast<size_t>(i)].tipo == tipo;
}

// Only called on a cell that free_at or tipo_at has accepted.
cella& cell(scenario_model& m, int64_t i) {
  return m.celle[static_cast<size_t>(i)];
}

int32_t position_of(int64_t i) {
  return static_cast<int32_t>(i * cell_length_m);
}

void place_point(scenario_model& m, int64_t i) {
  cella& c = cell(m, i);
  c.tipo = tipo_cella::punto_velocita;
  c.dato1 = added_point_kmh;
}

void cap_point(scenario_model& m, int64_t i) {
  cella& c = cell(m, i);
  c.dato1 = static_cast<int16_t>(minimo(added_point_kmh, c.dato1));
}

// A signal shortly before a warning point gets a point in one of the two
// cells before it; an existing point there is capped at 180 instead.
void point_before_signal(scenario_model& m, int64_t s) {
  const int64_t a = s - 1;
  const int64_t b = s - 2;
  if (free_at(m, a)) {
    place_point(m, a);
  } else if (free_at(m, b)) {
    place_point(m, b);
  } else if (tipo_at(m, a, tipo_cella::punto_velocita)) {
    cap_point(m, a);
  } else if (tipo_at(m, b, tipo_cella::punto_velocita)) {
    cap_point(m, b);
  } else {
    record_error(m, code_signal_before_warning, position_of(s));
  }
}

// Every signal up to 20 cells before the warning point at j.
void signals_before_warning(scenario_model& m, int64_t j) {
  for (int64_t k = 1; k <= warning_look_back && j - k >= lowest_signal_cell;
       ++k) {
    if (tipo_at(m, j - k, tipo_cella::segnale)) point_before_signal(m, j - k);
  }
}

// A window never merges with an existing point: a full window is an error.
void window_point(scenario_model& m, int64_t j, const start_window& w) {
  for (int64_t i = j - w.nearest; i >= j - w.nearest - 2; --i) {
    if (free_at(m, i)) {
      place_point(m, i);
      return;
    }
  }
  record_error(m, code_window_full, position_of(j));
}

// A point due at cell i goes there, or one cell back, or one cell ahead.
// Returns the step count that keeps the next point 8 cells after the one
// placed; after a failure the count stays at 8 so no further point is due.
int point_along(scenario_model& m, int64_t i) {
  if (free_at(m, i)) {
    place_point(m, i);
    return 0;
  }
  if (free_at(m, i - 1)) {
    place_point(m, i - 1);
    return 1;
  }
  if (free_at(m, i + 1)) {  // false past the last cell
    place_point(m, i + 1);
    return -1;
  }
  record_error(m, code_no_cell_for_point, position_of(i));
  return point_spacing;
}

// Walks from the start at j to the slowdown's end (the first cell of kind 2
// after j, or the last cell of the array) and returns it; places a point
// every 8 cells when asked.
int64_t walk_to_end(scenario_model& m, int64_t j, bool with_points) {
  const int64_t last = last_cell(m);
  int64_t i = j;
  int c = 0;
  while (i < last) {
    ++i;
    ++c;
    if (with_points && c == point_spacing) c = point_along(m, i);
    if (tipo_at(m, i, tipo_cella::fine_rallentamento)) break;
  }
  return i;
}

// The first signal within 12 cells from the end e gets a point in one of
// the two cells before it.
void point_before_next_signal(scenario_model& m, int64_t e) {
  const int64_t last = last_cell(m);
  for (int64_t n = e; n <= e + signal_look_ahead && n <= last; ++n) {
    if (!tipo_at(m, n, tipo_cella::segnale)) continue;
    if (free_at(m, n - 1)) {
      place_point(m, n - 1);
    } else if (free_at(m, n - 2)) {
      place_point(m, n - 2);
    } else {
      record_error(m, code_no_cell_for_point, position_of(e));
    }
    return;
  }
}

void points_around_slowdown(scenario_model& m, int64_t j) {
  for (const start_window& w : start_windows) {
    if (j > w.after) window_point(m, j, w);
  }
  // Only a slowdown below 110 km/h gets points along its length. A faster
  // one still looks for the first signal after its own end: the end is found
  // by the same forward walk, placing no points, so the look-ahead never
  // starts from an index left over by an earlier cell.
  const bool slow = cell(m, j).dato1 < slow_slowdown_below_kmh;
  const int64_t end = walk_to_end(m, j, slow);
  point_before_next_signal(m, end);
}

}  // namespace

void post_elabora(scenario_model& m) {
  if (!m.has_cells()) return;
  for (int64_t j = 1; j <= static_cast<int64_t>(m.numero_celle) - 2; ++j) {
    if (tipo_at(m, j, tipo_cella::avviso_rallentamento)) {
      signals_before_warning(m, j);
    } else if (tipo_at(m, j, tipo_cella::inizio_rallentamento)) {
      points_around_slowdown(m, j);
    }
  }
}

}  // namespace scenario
