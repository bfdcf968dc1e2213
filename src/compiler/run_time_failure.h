// The compiler's one failure that is not a record rejection: reading past the
// end of a file, a value outside its field's range, a missing train file, or
// any access outside the cell array, the entry table, the tunnel list or the
// plan. It is thrown where detected and turned into code 25 by the compiler.
#ifndef SCENARIO_COMPILER_RUN_TIME_FAILURE_H_
#define SCENARIO_COMPILER_RUN_TIME_FAILURE_H_

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/translation.h"

namespace scenario {

class run_time_failure : public std::runtime_error {
 public:
  // `pattern` is a marked English message that `args` (8-bit texts) fill.
  explicit run_time_failure(const char* pattern,
                            std::vector<std::string> args = {},
                            std::vector<size_t> system_reasons = {});
  explicit run_time_failure(worded_detail worded);

  const worded_detail& worded() const { return worded_; }

 private:
  worded_detail worded_;
};

// Records `e` as code 25 at the field `at` of `file`, worded.
void record_failure(scenario_model& m, const std::string& file, source_span at,
                    const run_time_failure& e);

// Checked access: throws run_time_failure when the cells do not exist yet or
// `index` lies outside 0..numero_celle, so nothing is ever written outside.
cella& cell_at(scenario_model& m, int64_t index);
// Throws run_time_failure when `index` lies outside 0..86.
voce& voce_at(scenario_model& m, int64_t index);

}  // namespace scenario

#endif  // SCENARIO_COMPILER_RUN_TIME_FAILURE_H_
