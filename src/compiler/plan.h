// Draws the plan polyline `tracciato` metre by metre from the curve records of
// the line description: straight runs that continue the last step, and curves
// that turn the step by a fixed curvature per metre. One drawer lives for one
// line compilation; every metre is written through a checked access.
#ifndef SCENARIO_COMPILER_PLAN_H_
#define SCENARIO_COMPILER_PLAN_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/model.h"

namespace scenario {

// The highest metre a curve may bring the drawing to (code 103 beyond it).
constexpr int64_t max_plan_metre = 1000000;

// Curvature per metre of a curve key: the first of the class digits "1" to
// "6" found in the key, negative when the key holds an "s" (a left curve).
// Empty when the key names no class.
std::optional<double> curvature_of(std::string_view key);

class plan_drawer {
 public:
  explicit plan_drawer(tracciato_t& plan) : plan_(plan) {}

  // Metres 0 and 1 become the 16-bit points (0, 0) and (0, 1): the line
  // starts along the positive y axis. The next metre to draw is 2.
  void start();

  // Draws the curve record `key` starting at `start` metres and `length`
  // metres long: a straight run up to the start, then the curve. Returns
  // false (code 103) when the key names no class or the drawing passes
  // max_plan_metre. A metre outside the plan throws run_time_failure.
  bool draw_curve(std::string_view key, int32_t start, int32_t length);

  // Continues straight up to and including `last_metre`.
  void finish(int64_t last_metre);

  // The next metre to draw.
  int64_t counter() const { return counter_; }

 private:
  // One metre at the counter, turned by `k` (0 for a straight metre).
  void step(double k);

  tracciato_t& plan_;
  int64_t counter_ = 2;
};

}  // namespace scenario

#endif  // SCENARIO_COMPILER_PLAN_H_
