// How recorded codes reach a person: one line per code on standard error, in
// the form compilers use and editors understand:
//   FILE:LINE: error CODE: meaning (position N m)
#ifndef SCENARIO_RUN_REPORT_H_
#define SCENARIO_RUN_REPORT_H_

#include <ostream>
#include <string>

#include "model/model.h"

namespace scenario {

// With `file_name_only`, the description is named without its directory.
std::string format_diagnostic(const diagnostic& d, bool file_name_only);

void report_diagnostics(const scenario_model& m, std::ostream& err,
                        bool file_name_only);

}  // namespace scenario

#endif  // SCENARIO_RUN_REPORT_H_
