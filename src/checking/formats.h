// What `scenario check` prints: the findings as a compiler's text (with the
// source line and a caret), as JSON, or as SARIF 2.1.0 for editors and
// code-scanning views (one rule per error code and per warning).
#ifndef SCENARIO_CHECKING_FORMATS_H_
#define SCENARIO_CHECKING_FORMATS_H_

#include <ostream>
#include <string>

#include "checking/check.h"

namespace scenario {

// Every finding in the compiler's form, then a line counting them, in the
// language of `tr`.
std::string format_text(const check_result& r, bool colour,
                        const translator& tr);
// The same, written out finding by finding rather than held whole.
void write_text(std::ostream& out, const check_result& r, bool colour,
                const translator& tr);

// Messages in the language of `tr`.
std::string format_json(const check_result& r, const translator& tr);
void write_json(std::ostream& out, const check_result& r, const translator& tr);

// Rule descriptions and messages in the language of `tr`, which the run
// names as its `language`.
std::string format_sarif(const check_result& r, const translator& tr);

// The list that --list-warnings prints: each name and its rationale.
std::string format_warning_list(const translator& tr);

}  // namespace scenario

#endif  // SCENARIO_CHECKING_FORMATS_H_
