// The plan of the report: the line seen from above, north up and at equal
// scales, simplified to the drawing's resolution, with its tunnels, stations,
// ends and kilometre ticks, as one inline SVG.
#ifndef SCENARIO_DRAWING_REPORT_PLAN_H_
#define SCENARIO_DRAWING_REPORT_PLAN_H_

#include <cstddef>
#include <optional>

#include "drawing/markup.h"
#include "drawing/scene.h"
#include "model/model.h"
#include "model/translation.h"

namespace scenario::drawing {

// What the drawing kept of the plan, for the note under it.
struct plan_summary {
  double tolerance_m = 0;
  size_t drawn_points = 0;
  size_t total_points = 0;
};

// Appends the plan's SVG to `out`; nothing, and no summary, when the
// compilation built no plan.
std::optional<plan_summary> draw_plan(const scenario_model& m, const scene& s,
                                      markup& out, const translator& tr);

}  // namespace scenario::drawing

#endif  // SCENARIO_DRAWING_REPORT_PLAN_H_
