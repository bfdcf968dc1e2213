// The one entry of both programs: the command line read as UTF-8, parsed,
// help, version and bad arguments answered as the command-line library
// answers them, in the language of the translator `main` chose, and the
// program's work run under the last-resort handler.
#ifndef SCENARIO_SHELL_COMMAND_LINE_H_
#define SCENARIO_SHELL_COMMAND_LINE_H_

#include <CLI/CLI.hpp>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "model/translation.h"

namespace scenario {

// Builds the program's command line in the app it is given, its texts in the
// language of `tr`, and returns the work to run once it parses.
using program_setup =
    std::function<std::function<int()>(CLI::App& app, const translator& tr)>;

// Runs `setup`, parses the arguments, then runs the work it returned.
// Help and version end with status 0 and a bad command line with the
// usage status ("PROGRAM: what\n\nhelp" on `err`); an exception escaping
// any of it ends with the internal-fault status. The command-line library's
// own words (headings, the help flag, its complaints) follow `tr` too.
int run_program(std::string_view program, int argc, char** argv,
                std::ostream& err, const translator& tr,
                const program_setup& setup);

// What the command-line library says about a bad command line, in the
// language of `tr` (its message as it stands where no translation fits).
std::string usage_error_text(const CLI::ParseError& e, const translator& tr);

// The description of the version flag, in the language of `tr`.
std::string version_flag_help(const translator& tr);

}  // namespace scenario

#endif  // SCENARIO_SHELL_COMMAND_LINE_H_
