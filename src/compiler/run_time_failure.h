// The compiler's one failure that is not a record rejection: reading past the
// end of a file, a value outside its field's range, a missing train file, or
// any access outside the cell array, the entry table, the tunnel list or the
// plan. It is thrown where detected and turned into code 25 by the compiler.
#ifndef SCENARIO_COMPILER_RUN_TIME_FAILURE_H_
#define SCENARIO_COMPILER_RUN_TIME_FAILURE_H_

#include <cstdint>
#include <stdexcept>
#include <string>

#include "model/model.h"

namespace scenario {

class run_time_failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Checked access: throws run_time_failure when the cells do not exist yet or
// `index` lies outside 0..numero_celle, so nothing is ever written outside.
cella& cell_at(scenario_model& m, int64_t index);
// Throws run_time_failure when `index` lies outside 0..86.
voce& voce_at(scenario_model& m, int64_t index);

}  // namespace scenario

#endif  // SCENARIO_COMPILER_RUN_TIME_FAILURE_H_
