// The subcommands of the `scenario` tool. Each adds itself to the tool's
// command line and returns the action that runs it once the arguments are
// parsed; the action returns the process's exit status. Help texts and
// messages are in the language of the translator each is given.
#ifndef SCENARIO_TOOLS_SCENARIO_COMMANDS_H_
#define SCENARIO_TOOLS_SCENARIO_COMMANDS_H_

#include <CLI/CLI.hpp>
#include <functional>

#include "model/exit_status.h"
#include "model/translation.h"

namespace scenario::tool {

struct command {
  CLI::App* app = nullptr;
  std::function<int()> run;
};

command add_compile_command(CLI::App& tool, const translator& tr);
command add_inspect_command(CLI::App& tool, const translator& tr);
command add_report_command(CLI::App& tool, const translator& tr);
command add_diff_command(CLI::App& tool, const translator& tr);
command add_check_command(CLI::App& tool, const translator& tr);
command add_fmt_command(CLI::App& tool, const translator& tr);
command add_timing_command(CLI::App& tool, const translator& tr);
command add_lsp_command(CLI::App& tool, const translator& tr);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOLS_SCENARIO_COMMANDS_H_
