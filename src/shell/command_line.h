// The one entry of both programs: the command line read as UTF-8, parsed,
// help, version and bad arguments answered as the command-line library
// answers them, and the program's work run under the last-resort handler.
#ifndef SCENARIO_SHELL_COMMAND_LINE_H_
#define SCENARIO_SHELL_COMMAND_LINE_H_

#include <CLI/CLI.hpp>
#include <functional>
#include <ostream>
#include <string_view>

namespace scenario {

// Builds the program's command line in the app it is given and returns the
// work to run once it parses.
using program_setup = std::function<std::function<int()>(CLI::App& app)>;

// Runs `setup`, parses the arguments, then runs the work it returned.
// Help and version end with status 0 and a bad command line with the
// usage status ("PROGRAM: what\n\nhelp" on `err`); an exception escaping
// any of it ends with the internal-fault status.
int run_program(std::string_view program, int argc, char** argv,
                std::ostream& err, const program_setup& setup);

}  // namespace scenario

#endif  // SCENARIO_SHELL_COMMAND_LINE_H_
