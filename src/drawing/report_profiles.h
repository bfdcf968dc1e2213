// The profile strips of the report: elevation, speed limit, slowdowns,
// tunnels, signals, stations and the recorded codes, one under the other on
// one kilometre axis, as one inline SVG.
#ifndef SCENARIO_DRAWING_REPORT_PROFILES_H_
#define SCENARIO_DRAWING_REPORT_PROFILES_H_

#include "drawing/markup.h"
#include "drawing/scene.h"

namespace scenario::drawing {

// Appends the strips' SVG to `out`; with `problems_only`, only the strip of
// the recorded codes (for a scenario without cells).
void draw_profiles(const scene& s, markup& out, bool problems_only = false);

}  // namespace scenario::drawing

#endif  // SCENARIO_DRAWING_REPORT_PROFILES_H_
