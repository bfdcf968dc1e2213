// scenario report: draws a scenario as one self-contained HTML page. With one
// argument, a folder, it draws the compiled files there; with two, a line
// and a train description, it compiles them in memory (writing no binary
// file) and draws the result with every code the compilation recorded.
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "commands.h"
#include "compiler/compiler.h"
#include "decoding/decoder.h"
#include "drawing/report_file.h"
#include "drawing/report_page.h"
#include "model/text_8bit.h"
#include "run/report.h"
#include "run/run.h"

namespace scenario::tool {
namespace {

struct report_arguments {
  std::vector<std::string> inputs;
  std::string output;
  std::optional<std::string> route;
  std::optional<std::string> train;
};

int write(const scenario_model& m, const std::string& source,
          const std::string& output) {
  file_failure failure;
  if (!drawing::write_page(drawing::render_report(m, {source}), output,
                           &failure)) {
    std::cerr << "error: " << failure.message() << '\n';
    return exit_file_system;
  }
  return exit_clean;
}

int report_folder(const report_arguments& args) {
  const std::filesystem::path dir = args.inputs[0];
  // A run writing into the folder is waited for, and said so once.
  const reader_wait wait{.wait = std::chrono::seconds(60),
                         .notice = &std::cerr};
  scenario_names names;
  decode_result r = find_scenario(dir, args.route, args.train, names, wait);
  scenario_model m;
  if (r.ok()) r = decode_scenario(dir, names.percorso, names.treno, m, wait);
  if (!r.ok()) {
    std::cerr << r.message << '\n';
    return r.status;
  }
  // The names are 8-bit text like the entries that hold them; the folder's
  // path is bytes.
  return write(m,
               "the compiled files of " +
                   windows1252_to_printable(names.percorso) + " / " +
                   windows1252_to_printable(names.treno) + " in " +
                   path_to_printable(dir.string()),
               args.output);
}

int report_descriptions(const report_arguments& args) {
  scenario_model m;
  m.percorso = args.route.value_or(build_percorso);
  m.treno = args.train.value_or(build_treno);
  const int status = compile_in_memory(m, 1, load_description(args.inputs[0]),
                                       load_description(args.inputs[1]));
  report_diagnostics(m, std::cerr, /*file_name_only=*/false);
  const int written =
      write(m,
            "the descriptions " + path_to_printable(args.inputs[0]) + " and " +
                path_to_printable(args.inputs[1]) + ", compiled in memory",
            args.output);
  return written != exit_clean ? written : status;
}

int run_report(const report_arguments& args) {
  std::error_code ec;
  std::vector<bool> is_dir;
  for (const std::string& in : args.inputs) {
    is_dir.push_back(std::filesystem::is_directory(in, ec));
  }
  if (args.inputs.size() == 1) {
    if (!is_dir[0]) {
      const bool there = std::filesystem::exists(args.inputs[0], ec);
      std::cerr << "scenario report: " << args.inputs[0]
                << (there ? " is not a folder; give a folder of compiled "
                            "files, or a LINE and a TRAIN description"
                          : ": no such folder")
                << '\n';
      return there ? exit_usage : 66;
    }
    return report_folder(args);
  }
  if (is_dir[0] || is_dir[1]) {
    std::cerr << "scenario report: with two arguments both are descriptions "
                 "(LINE TRAIN); a folder of compiled files comes alone\n";
    return exit_usage;
  }
  return report_descriptions(args);
}

}  // namespace

command add_report_command(CLI::App& tool) {
  auto args = std::make_shared<report_arguments>();
  CLI::App* app = tool.add_subcommand(
      "report",
      "Draws a scenario as one self-contained HTML page: plan, profiles, "
      "timetable and problems");
  app->footer(
      "Forms: scenario report DIR -o FILE.html [--route R] [--train T]; "
      "scenario report LINE TRAIN -o FILE.html [--route R] [--train T].\n"
      "One argument is a folder of compiled files (ROUTE_TRAIN.sim, "
      "ROUTE_TRAIN.dat and, when there, ROUTE_linea.dat); without --route "
      "and --train the folder's one .sim file names the scenario (its "
      "names come from its entries), with one of them the one .sim file "
      "that fits it. Two "
      "arguments are a line and a train description: they are compiled in "
      "memory, nothing is written beside the page, and the page shows every "
      "code the compilation recorded (also printed on standard error).\n"
      "Exit status: 0 page written (and, for descriptions, a clean "
      "compilation); for descriptions the statuses of `scenario compile` (1 "
      "codes recorded, 2 no cells, 3 a slot in use), the page being written "
      "all the same; 4 the page could not be written; 64 bad arguments; 65 "
      "damaged compiled files; 66 missing files; 75 a run kept the folder "
      "busy past the wait.");
  app->add_option("INPUTS", args->inputs,
                  "DIR (compiled files) or LINE TRAIN (descriptions)")
      ->required()
      ->expected(1, 2);
  app->add_option("-o,--output", args->output, "the HTML page to write")
      ->required();
  app->add_option("--route", args->route,
                  "route identifier (descriptions: default " +
                      std::string(build_percorso) + ")");
  app->add_option("--train", args->train,
                  "train identifier (descriptions: default " +
                      std::string(build_treno) + ")");
  return {app, [args] { return run_report(*args); }};
}

}  // namespace scenario::tool
