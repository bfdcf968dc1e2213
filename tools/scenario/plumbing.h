// What the subcommands share: loading a compiled scenario from its folder,
// telling a folder from a description pair among the inputs, and reading
// the -W switches. Each reports on standard error and returns the status.
#ifndef SCENARIO_TOOLS_SCENARIO_PLUMBING_H_
#define SCENARIO_TOOLS_SCENARIO_PLUMBING_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checking/warnings.h"
#include "decoding/decoder.h"
#include "model/exit_status.h"
#include "model/model.h"

namespace scenario::tool {

// Reads the compiled scenario of folder `dir` (named by route and train, or
// the one scenario there) into `m`, waiting up to 60 s for a run writing
// there and saying so once. Fills `names` when given. On failure writes the
// decoder's message and returns its status; 0 when read.
int load_compiled(const std::string& dir,
                  const std::optional<std::string>& route,
                  const std::optional<std::string>& train, scenario_model& m,
                  const translator& tr, scenario_names* names = nullptr);

// What the inputs of a subcommand that reads either form name.
enum class input_form {
  folder,        // DIR: one folder of compiled files
  descriptions,  // LINE TRAIN: two description files
};

// Tells DIR from LINE TRAIN among one or two inputs. Returns 0 with `form`
// set, or, after saying why as "scenario COMMAND: ...", exit_no_input for a
// missing folder and exit_usage for any other mix.
int choose_inputs(std::string_view command,
                  const std::vector<std::string>& inputs, input_form& form,
                  const translator& tr);

// Applies each -W switch in order. Returns false after saying which one is
// wrong and why as "scenario COMMAND: -WSWITCH: why".
bool apply_warning_switches(std::string_view command,
                            const std::vector<std::string>& switches,
                            warning_options& o, const translator& tr);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOLS_SCENARIO_PLUMBING_H_
