// scenario: the scenario author's tool. One program, one subcommand per job:
// `scenario compile`, and the readers of compiled scenarios.
#include <CLI/CLI.hpp>
#include <iostream>
#include <vector>

#include "commands.h"
#include "run/arguments.h"
#include "run/console.h"
#include "run/last_resort.h"
#include "version/version.h"

namespace {

int run_tool(int argc, char** argv) {
  using namespace scenario::tool;
  scenario::keep_stream_bytes();
  CLI::App app{
      "The scenario author's tool: compiles line and train descriptions into "
      "the simulator's binary files and reads compiled scenarios back.",
      "scenario"};
  app.set_version_flag("--version", scenario::version_line("scenario"));
  app.require_subcommand(1);
  app.footer(
      "Exit status: 0 help or version shown; otherwise the subcommand's own "
      "(scenario SUBCOMMAND --help); 64 bad arguments or no subcommand.");
  // One subcommand a line.
  // clang-format off
  const std::vector<command> commands = {
      add_compile_command(app),
      add_inspect_command(app),
      add_report_command(app),
      add_diff_command(app),
      add_check_command(app),
      add_fmt_command(app),
      add_timing_command(app),
      add_lsp_command(app),
  };
  // clang-format on
  try {
    scenario::utf8_arguments args(argc, argv);
    app.parse(args.argc(), args.argv());
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "scenario: " << e.what() << "\n\n" << app.help() << std::flush;
    return exit_usage;
  }
  for (const command& c : commands) {
    if (c.app->parsed()) return c.run();
  }
  return exit_usage;  // unreachable: one subcommand is required
}

}  // namespace

// An unexpected exception ends the command with status 70.
int main(int argc, char** argv) {
  return scenario::run_guarded("scenario", std::cerr,
                               [&] { return run_tool(argc, argv); });
}
