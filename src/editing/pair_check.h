// A pair of descriptions checked together, and what each of the two is shown
// of it: every record and finding belongs to one description. A finding is
// dealt out to it once, moved rather than copied, and its records share the
// pair's store, since a file may hold hundreds of thousands of them.
#ifndef SCENARIO_EDITING_PAIR_CHECK_H_
#define SCENARIO_EDITING_PAIR_CHECK_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "checking/check.h"
#include "checking/warnings.h"
#include "compiler/compiler.h"
#include "editing/features.h"
#include "editing/pairs.h"

namespace scenario::editing {

class pair_check {
 public:
  // Checks `linea` with `treno` as `scenario check` does. A pair without a
  // line gives one finding on the train that says how to name its line.
  pair_check(const description_pair& pair, const description_text& linea,
             const description_text& treno, const warning_options& warnings,
             const translator& tr);

  // The records and findings of the description `in`, whose text `t` is
  // moved into the analysis; the line also takes the findings that belong
  // to no file of the pair. Each record and finding goes to the first that
  // takes it, in the order checked.
  analysis take(description in, description_text& t);

 private:
  bool has_line_;
  std::string train_file_;
  check_result result_;
  record_list records_;
  std::optional<int64_t> line_length_m_;
};

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_PAIR_CHECK_H_
