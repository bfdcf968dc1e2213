// Ordering of the three kilometric references (entries 81 to 83) after the
// general block of the line description, with the 100 m adjustment.
#ifndef SCENARIO_COMPILER_PROGRESSIVE_H_
#define SCENARIO_COMPILER_PROGRESSIVE_H_

#include "model/model.h"

namespace scenario {

void progressive_ordina(scenario_model& m);

}  // namespace scenario

#endif  // SCENARIO_COMPILER_PROGRESSIVE_H_
