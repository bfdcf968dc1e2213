// The running-time calculation: the fastest run a train can make along a
// compiled line under its speed limits, slowdowns, curves and its own top
// speed, stopping at every timed stop, and the same run with the
// regularity margin, set against the scheduled times leg by leg. The line
// is read out of the compiled model once (running_line), as the metres
// where its limits, gradients and curves change; the run integrates it on
// a fixed grid of a metre or a fraction of one, with the forces of
// running/train averaged over the train's length.
#ifndef SCENARIO_RUNNING_RUNNING_TIME_H_
#define SCENARIO_RUNNING_RUNNING_TIME_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/model.h"
#include "running/step_profile.h"
#include "running/train.h"

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

enum class verdict { impossible, tight, ok, slack };
const char* verdict_name(verdict v);

// One pair of successive timed stations.
struct leg {
  size_t from = 0, to = 0;  // indices in running_line::points
  double distance_m = 0;
  double scheduled_s = 0;  // arrival at `to` minus departure from `from`
  double fastest_s = 0;    // infinite when the train cannot run the leg
  double with_margin_s = 0;
  verdict judged = verdict::ok;

  double slack_s() const { return scheduled_s - fastest_s; }
  double slack_percent() const { return slack_s() / fastest_s * 100; }
};

struct running_result {
  double start_m = 0;  // position of node 0: the first timed station
  double step_m = 1;
  // Per node k at start_m + k * step_m:
  std::vector<float> permitted_kmh;  // the limit at the head of the train
  std::vector<double> speed_ms;      // the fastest run
  // Time since the departure from the first station, dwells included (at a
  // stop, the time of arrival): the fastest run and the run with margin.
  std::vector<double> time_s;
  std::vector<double> margin_time_s;
  std::vector<size_t> point_node;  // node of each timed point
  std::vector<leg> legs;
  // Where the train comes to a stand where it may not stop (a climb its
  // adhesion or power cannot hold, a limit of 0 km/h); the run ends there.
  std::optional<double> stand_m;

  size_t nodes() const { return speed_ms.size(); }
  double position(size_t k) const {
    return start_m + static_cast<double>(k) * step_m;
  }
};

// A node of a run, as the run reaches it.
struct run_node {
  size_t k = 0;
  double position_m = 0;
  float permitted_kmh = 0;  // the limit at the head of the train
  double speed_ms = 0;
  double time_s = 0, margin_time_s = 0;  // as in running_result
};
using node_callback = std::function<void(const run_node&)>;

// The fastest run from the first to the last timed point, on a grid of
// `step_m` metres (1, 0.5, 0.25 ...: a whole number of steps per metre),
// with every node's values. Fewer than two timed points give no node and
// no leg. Where the train comes to a stand, the limits at the head go on
// to the last node; its speeds and times end where it stands.
running_result run_fastest(const running_line& line,
                           const running_parameters& p, double step_m = 1);

// The same run, to the bit, keeping no node's values (nodes() is 0): the
// legs, the nodes of the timed points and where the train stands. `each`,
// when set, is handed every node the train reaches, in order.
running_result run_legs(const running_line& line, const running_parameters& p,
                        double step_m = 1, const node_callback& each = {});

}  // namespace scenario

#endif  // SCENARIO_RUNNING_RUNNING_TIME_H_
