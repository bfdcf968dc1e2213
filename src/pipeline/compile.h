// Compilation of a description pair held in memory, the whole sequence a run
// goes through short of the files: reset, compilation, post-processing and
// the marker and checksum slots. What the checker, the report and the
// language server compile through.
#ifndef SCENARIO_PIPELINE_COMPILE_H_
#define SCENARIO_PIPELINE_COMPILE_H_

#include <cstdint>

#include "compiler/compiler.h"
#include "model/exit_status.h"
#include "model/model.h"

namespace scenario {

// The same stages on descriptions held in memory, up to the files: reset,
// compilation, post-processing (when the cells exist) and the marker and
// checksum slots (a conflict is recorded as its code). Writes nothing and
// reports nothing. Returns the status a run of the same pair ends with when
// every file can be written.
int compile_in_memory(scenario_model& m, int32_t j,
                      const description_text& linea,
                      const description_text& treno,
                      const compile_policy& policy = {});

}  // namespace scenario

#endif  // SCENARIO_PIPELINE_COMPILE_H_
