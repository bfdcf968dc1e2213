// The quick fixes an editor offers for the checker's warnings where one
// edit plainly mends them: a tunnel board's stated length, a repeated
// record, a record beyond the line.
#ifndef SCENARIO_EDITING_QUICK_FIXES_H_
#define SCENARIO_EDITING_QUICK_FIXES_H_

#include <string>

#include "editing/features.h"

namespace scenario::editing {

json code_actions(const analysis& a, const std::string& uri, text_range r,
                  const translator& tr);

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_QUICK_FIXES_H_
