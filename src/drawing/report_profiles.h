// The profile strips of the report: elevation, speed limit, slowdowns,
// tunnels, signals, stations and the recorded codes, one under the other on
// one kilometre axis, as one inline SVG.
#ifndef SCENARIO_DRAWING_REPORT_PROFILES_H_
#define SCENARIO_DRAWING_REPORT_PROFILES_H_

#include "drawing/markup.h"
#include "drawing/report_running.h"
#include "drawing/scene.h"

namespace scenario::drawing {

// Appends the strips' SVG to `out`; with `problems_only`, only the strip of
// the recorded codes (for a scenario without cells). With `run`, the
// speed and time runs follow the stations.
void draw_profiles(const scene& s, markup& out, const translator& tr,
                   bool problems_only = false,
                   const running_drawing* run = nullptr);

}  // namespace scenario::drawing

#endif  // SCENARIO_DRAWING_REPORT_PROFILES_H_
