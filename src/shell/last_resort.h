// The last line of defence of both programs: an exception that nothing else
// caught becomes one line on standard error and status 70, never an abort.
// Caught here, it unwinds the stack first, so an open file replacement
// removes its temporary file and the folder lock is released: the folder is
// left as it was. Each program's main runs its whole work through it.
#ifndef SCENARIO_SHELL_LAST_RESORT_H_
#define SCENARIO_SHELL_LAST_RESORT_H_

#include <functional>
#include <ostream>
#include <string_view>

#include "model/exit_status.h"

namespace scenario {

// Returns what `work` returns; when an exception escapes it, writes
// "PROGRAM: internal error: WHAT" on `err` and returns exit_software.
int run_guarded(std::string_view program, std::ostream& err,
                const std::function<int()>& work);

}  // namespace scenario

#endif  // SCENARIO_SHELL_LAST_RESORT_H_
