// The outline of a description: its sections, and in each the railway
// objects its records make (stations as stop or pass, tunnels with their
// names, signals and boards), named with their kilometres.
#ifndef SCENARIO_EDITING_OUTLINE_H_
#define SCENARIO_EDITING_OUTLINE_H_

#include "editing/features.h"

namespace scenario::editing {

json document_symbols(const analysis& a, const translator& tr);

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_OUTLINE_H_
