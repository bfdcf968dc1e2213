// The running-time calculation: the fastest run a train can make along a
// compiled line under its speed limits, slowdowns, curves and its own top
// speed, stopping at every timed stop, and the same run with the
// regularity margin, set against the scheduled times leg by leg. The line
// comes read out of the compiled model once (running/running_line), as the
// metres where its limits, gradients and curves change; the run integrates
// it on a fixed grid of a metre or a fraction of one, with the forces of
// running/train averaged over the train's length.
#ifndef SCENARIO_RUNNING_RUNNING_TIME_H_
#define SCENARIO_RUNNING_RUNNING_TIME_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "running/running_line.h"
#include "running/train.h"

namespace scenario {

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
