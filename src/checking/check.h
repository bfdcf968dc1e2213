// Checks a pair of descriptions in one pass: every code the compiler would
// record (it compiles with the keep-going policy, so a rejected record is
// reported and skipped), then the railway consistency warnings on the
// records as read. Works on descriptions held in memory, writes nothing and
// never throws; `scenario check` prints what it returns.
#ifndef SCENARIO_CHECKING_CHECK_H_
#define SCENARIO_CHECKING_CHECK_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checking/finding.h"
#include "checking/warnings.h"
#include "compiler/compiler.h"
#include "model/model.h"
#include "model/translation.h"
#include "running/running_time.h"

namespace scenario {

struct check_result {
  std::vector<finding> findings;  // in file order, then line and column
  int errors = 0;
  int warnings = 0;  // counted as errors instead under -Werror
  // The descriptions checked, whose lines the findings point at; no text
  // when the caller asked for none.
  file_name line_file;
  file_name train_file;
  std::shared_ptr<const std::string> line_text;
  std::shared_ptr<const std::string> train_text;

  // The line `f` points at, without its line end; empty when it has none.
  std::string_view source_of(const finding& f) const;
};

// Compiles `linea` and `treno` with the keep-going policy and runs the
// enabled warnings. Under options.warnings_as_errors every warning is a
// finding with is_error set. Messages are in the language of `tr`.
struct check_outputs {
  // The compilation is made in this model (whose route and train names the
  // caller has set) and left there: everything the check accepted, for
  // drawing.
  scenario_model* compiled = nullptr;
  // The curves of the line's curve records as read (running diagrams).
  std::vector<curve_stretch>* curves = nullptr;
  // The records as the compiler read them, for whoever explains them (the
  // editor's hovers and outline).
  record_list* records = nullptr;
  // False when nobody shows the findings' source lines: the result then
  // keeps no copy of the texts.
  bool keep_texts = true;
};
check_result check_descriptions(const description_text& linea,
                                const description_text& treno,
                                const warning_options& options,
                                const translator& tr,
                                const check_outputs& outputs = {});
// The same, keeping the texts without a copy.
check_result check_descriptions(description_text&& linea,
                                description_text&& treno,
                                const warning_options& options,
                                const translator& tr,
                                const check_outputs& outputs = {});

// The exit status of a check: 0 when no error, 1 otherwise.
int check_status(const check_result& r);

}  // namespace scenario

#endif  // SCENARIO_CHECKING_CHECK_H_
