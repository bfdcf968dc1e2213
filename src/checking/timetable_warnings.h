// The timetable warnings: each leg between two timed stations is set
// against the fastest run the train can make on the compiled line
// (running/running_time) with the default train and margin, and a station
// timed earlier than the train can arrive, or within the margin, is
// flagged on the time field of its record.
#ifndef SCENARIO_CHECKING_TIMETABLE_WARNINGS_H_
#define SCENARIO_CHECKING_TIMETABLE_WARNINGS_H_

#include <vector>

#include "checking/warnings.h"
#include "model/model.h"
#include "model/translation.h"
#include "running/running_time.h"

namespace scenario {

// The curves of the accepted curve records, with their class radii.
std::vector<curve_stretch> curve_stretches(
    const record_list& records);

// Runs `timetable-impossible` and `timetable-tight` (those enabled) on the
// compiled model `m`, whose records are `records`; messages in the language
// of `tr`, as 8-bit text.
void timetable_warnings(const record_list& records,
                        const scenario_model& m, const warning_options& options,
                        const translator& tr, const warning_sink& out);

}  // namespace scenario

#endif  // SCENARIO_CHECKING_TIMETABLE_WARNINGS_H_
