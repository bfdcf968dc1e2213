// scenario: the scenario author's tool. One program, one subcommand per job:
// `scenario compile`, and the readers of compiled scenarios.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "commands.h"
#include "shell/command_line.h"
#include "shell/console.h"
#include "version/version.h"

namespace {

std::function<int()> set_up_tool(CLI::App& app,
                                 const scenario::translator& tr) {
  using namespace scenario::tool;
  scenario::keep_stream_bytes();
  app.description(
      tr("The scenario author's tool: compiles line and train descriptions "
         "into the simulator's binary files and reads compiled scenarios "
         "back."));
  app.set_version_flag("--version", scenario::version_line("scenario"),
                       scenario::version_flag_help(tr));
  app.require_subcommand(1);
  app.footer(
      tr("Exit status: 0 help or version shown; otherwise the subcommand's "
         "own (scenario SUBCOMMAND --help); 64 bad arguments or no "
         "subcommand."));
  // One subcommand a line.
  // clang-format off
  std::vector<command> commands = {
      add_compile_command(app, tr),
      add_inspect_command(app, tr),
      add_report_command(app, tr),
      add_diff_command(app, tr),
      add_check_command(app, tr),
      add_fmt_command(app, tr),
      add_timing_command(app, tr),
      add_lsp_command(app, tr),
  };
  // clang-format on
  return [commands = std::move(commands)] {
    for (const command& c : commands) {
      if (c.app->parsed()) return c.run();
    }
    return scenario::exit_usage;  // unreachable: one subcommand is required
  };
}

}  // namespace

// An unexpected exception ends the command with status 70. The language is
// the environment's.
int main(int argc, char** argv) {
  const scenario::translator tr = scenario::translator::from_environment(
      [](const char* name) -> const char* { return std::getenv(name); });
  return scenario::run_program("scenario", argc, argv, std::cerr, tr,
                               set_up_tool);
}
