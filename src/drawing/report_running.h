// The running diagrams of the report, two strips on the profiles' kilometre
// axis: speed against distance (the limit the whole train must keep, the
// fastest run with its braking curves and stops, the run with margin) and
// time against distance (both runs leg by leg from each scheduled
// departure, and a marker for every scheduled station time, in the problem
// colour when the train cannot meet it).
#ifndef SCENARIO_DRAWING_REPORT_RUNNING_H_
#define SCENARIO_DRAWING_REPORT_RUNNING_H_

#include <string>

#include "drawing/markup.h"
#include "model/translation.h"
#include "running/running_time.h"
#include "running/train.h"

namespace scenario::drawing {

// What the two strips draw: the line as the run reads it, the values used
// and the run.
struct running_drawing {
  running_line line;
  running_parameters params;
  running_result result;
};

// The profiles' horizontal axis: metres to drawing units.
struct km_axis {
  double left = 0;
  double width = 0;
  double extent_m = 1;
  double x_of(double m) const { return left + m * width / extent_m; }
};

// Each appends its strip at `y` to `g` and returns the y below it.
double draw_speed_distance(const running_drawing& r, const km_axis& axis,
                           markup& g, double y, const translator& tr);
double draw_time_distance(const running_drawing& r, const km_axis& axis,
                          markup& g, double y, const translator& tr);

// The sentence under the profiles naming the train and margin drawn.
std::string running_note(const running_drawing& r, const translator& tr);

// The legend entries of the two strips.
void running_legend(markup& out, const translator& tr);

}  // namespace scenario::drawing

#endif  // SCENARIO_DRAWING_REPORT_RUNNING_H_
