// The problems a report drawn from descriptions shows: every finding of the
// check (errors and warnings, with file, line and column), each marked when
// the strict compilation, the one that builds the simulator's files,
// records it too, and the first of those as where that compilation stops.
#ifndef SCENARIO_DRAWING_REPORT_FINDINGS_H_
#define SCENARIO_DRAWING_REPORT_FINDINGS_H_

#include <vector>

#include "checking/check.h"
#include "drawing/scene.h"
#include "model/model.h"

namespace scenario::drawing {

// The findings of `checked` as problems, in its order. `strict` holds what
// the strict compilation recorded; a code of it that the check does not
// list (which should not happen) is added, so that none is lost.
// The findings' messages are in the language of `tr`.
std::vector<problem> problems_of_check(const check_result& checked,
                                       const std::vector<diagnostic>& strict,
                                       const translator& tr = translator());

}  // namespace scenario::drawing

#endif  // SCENARIO_DRAWING_REPORT_FINDINGS_H_
