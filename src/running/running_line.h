// The line as the running-time calculation reads it, once, out of a
// compiled scenario: the speed limits, slowdowns and gradients of its
// cells, the curves of the curve records when the descriptions are at
// hand, and the timed stations of the entry table in order along the line.
#ifndef SCENARIO_RUNNING_RUNNING_LINE_H_
#define SCENARIO_RUNNING_RUNNING_LINE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/translation.h"
#include "running/step_profile.h"

namespace scenario {

// A stretch of curve along the line, from a curve record.
struct curve_stretch {
  int64_t start_m = 0;
  int64_t length_m = 0;
  double radius_m = 0;
};

// A station with a scheduled time. `time_s` is the time of day the train
// leaves it (for the last, the time it arrives); it arrives `dwell_s`
// earlier. The first and the last timed stations and every one with a
// dwell are stops; a timed station without a dwell is passed at its time.
struct timed_point {
  int entry = 0;     // index in the entry table
  std::string name;  // 8-bit, as stored
  int64_t position_m = 0;
  // In 64 bits: the times of a damaged file may be any 32-bit values, and
  // a timetable that runs past midnight adds a day.
  int64_t time_s = 0;
  int32_t dwell_s = 0;
  bool stop = false;

  int64_t arrival_s() const { return time_s - dwell_s; }
};

// The line by metre [m, m + 1), m from 0 to metres() - 1; its four
// profiles have the same length.
struct running_line {
  step_profile line_limit_kmh;  // the speed limit layer
  step_profile slowdown_kmh;    // 0 where no slowdown
  step_profile gradient_permille;
  step_profile curve_radius_m;      // 0 where straight
  std::vector<timed_point> points;  // in order along the line
  bool curves_known = false;        // false for compiled files alone
  // The points whose time, earlier than the one before, is read as the
  // next day.
  std::vector<size_t> next_day;
  // Why the stations cannot be read in order (a timed station off the
  // line): then nothing is timed. Empty for a sound line.
  std::string damage;

  size_t metres() const { return static_cast<size_t>(line_limit_kmh.metres()); }
};

// The timed stations of the entry table within the cells, in order along
// the line, each a stop or a pass by the railway rule; the first and the
// last are where the run starts and ends, stops without dwell.
std::vector<timed_point> timed_points(const scenario_model& m);

// Reads the limits, slowdowns and gradients of the compiled cells and the
// timed stations of the entry table; `curves` come from the curve records
// when the descriptions are at hand. A timed station off the line sets
// `damage`, told in the language of `tr`; a time earlier than the one
// before is read as the next day.
running_line read_running_line(const scenario_model& m,
                               const std::vector<curve_stretch>* curves,
                               const translator& tr);

}  // namespace scenario

#endif  // SCENARIO_RUNNING_RUNNING_LINE_H_
