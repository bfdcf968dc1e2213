// scenario_builder: writes the scenario this build carries into a folder,
// compiles it and writes the simulator's files. Without a folder named, the
// folder is the program's own directory (the installed program: the current
// directory).
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

#include "model/system_reasons.h"
#include "shell/arguments.h"
#include "shell/command_line.h"
#include "shell/console.h"
#include "shell/run.h"
#include "shell/window.h"
#include "version/version.h"

namespace {

std::string help_footer(const scenario::translator& tr) {
  return tr.format(
      "Writes the line and train descriptions of the route %s and the train "
      "%s with the driver's documents (the timetable card, the slow-order "
      "form and the notes), compiles the two descriptions and writes the "
      "simulator's files: the cell array (ROUTE_TRAIN.dat), the entry table "
      "(ROUTE_TRAIN.sim) and the plan polyline (ROUTE_linea.dat). Text files "
      "are Windows-1252 with CR LF line ends. Every file is replaced safely; "
      "the three binary files as one set. One run at a time writes into a "
      "folder; another one waits up to 60 s.\n"
      "Without DIR the files go into the program's own directory, or, when "
      "the program is installed, into the current directory. With a display "
      "the run shows a small window, otherwise it prints \"Attendere\" on "
      "standard error.\n"
      "Exit status: 0 clean run; 1 a code was recorded, the binary files were "
      "written; 2 the compiler ended before the cell array existed, no binary "
      "file written; 3 an output slot was already in use, nothing written; 4 "
      "a file or the folder could not be written, created or locked; 64 bad "
      "arguments; 75 another run kept the folder for the whole wait.",
      scenario::build_percorso, scenario::build_treno);
}

// One run at a time writes into the folder: a second one waits for the
// first, then runs.
int build(const std::string& named_dir, const scenario::translator& tr) {
  scenario::keep_stream_bytes();
  const auto program_dir = scenario::program_directory();
  std::filesystem::path dir = scenario::path_argument(named_dir);
  if (named_dir.empty()) {
    dir = scenario::default_output_directory(program_dir);
  } else {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
      std::cerr << tr.format("error: cannot create %s: %s", dir.string(),
                             scenario::system_reason(ec.message(), tr))
                << '\n';
      return scenario::exit_file_system;
    }
  }
  const auto outputs = scenario::run_outputs(dir, scenario::build_percorso,
                                             scenario::build_treno);
  return scenario::with_folder_locked(
      dir, scenario::default_folder_wait, std::cerr, outputs,
      [&dir, &program_dir, &tr] {
        auto ui = scenario::make_window(program_dir);
        return scenario::run_scenario(dir, *ui, std::cerr, tr);
      },
      tr);
}

}  // namespace

// An unexpected exception ends the run with status 70. The messages are in
// the environment's language; the files and the window's words are not.
int main(int argc, char** argv) {
  const scenario::translator tr = scenario::translator::from_environment(
      [](const char* name) -> const char* { return std::getenv(name); });
  return scenario::run_program(
      "scenario_builder", argc, argv, std::cerr, tr,
      [](CLI::App& app, const scenario::translator& tr) {
        app.description(tr("Builds the scenario this program carries."));
        app.set_version_flag("--version",
                             scenario::version_line("scenario_builder"),
                             scenario::version_flag_help(tr));
        app.footer(help_footer(tr));
        auto named_dir = std::make_shared<std::string>();
        app.add_option(
            "DIR", *named_dir,
            tr("folder that receives the files (created when missing)"));
        return [named_dir, tr] { return build(*named_dir, tr); };
      });
}
