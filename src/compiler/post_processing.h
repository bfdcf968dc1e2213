// The pass over the compiled cells that adds speed points of 180 km/h around
// slowdowns (codes 11 to 13, which do not stop the pass).
#ifndef SCENARIO_COMPILER_POST_PROCESSING_H_
#define SCENARIO_COMPILER_POST_PROCESSING_H_

#include "model/model.h"

namespace scenario {

// Runs over cells 1 to numero_celle - 2; does nothing when no cells exist.
void post_elabora(scenario_model& m);

}  // namespace scenario

#endif  // SCENARIO_COMPILER_POST_PROCESSING_H_
