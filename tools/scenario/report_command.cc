// scenario report: draws a scenario as one self-contained HTML page. With one
// argument, a folder, it draws the compiled files there; with two, a line
// and a train description, it checks them as `scenario check` does (writing
// no binary file) and draws what compiled with every finding, marking the
// code where the strict compilation stops.
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "checking/check.h"
#include "commands.h"
#include "compiler/compiler.h"
#include "decoding/decoder.h"
#include "drawing/report_file.h"
#include "drawing/report_findings.h"
#include "drawing/report_page.h"
#include "model/text_8bit.h"
#include "pipeline/report.h"
#include "plumbing.h"
#include "shell/arguments.h"
#include "shell/run.h"

namespace scenario::tool {
namespace {

struct report_arguments {
  std::vector<std::string> inputs;
  std::string output;
  std::optional<std::string> route;
  std::optional<std::string> train;
  std::vector<std::string> switches;
};

int write(const scenario_model& m, const drawing::page_options& page,
          const std::string& output, const translator& tr) {
  file_failure failure;
  if (!drawing::write_page(drawing::render_report(m, page, tr),
                           path_argument(output), &failure)) {
    std::cerr << tr("error") << ": " << failure.message(tr) << '\n';
    return exit_file_system;
  }
  return exit_clean;
}

int report_folder(const report_arguments& args, const translator& tr) {
  const std::filesystem::path dir = path_argument(args.inputs[0]);
  scenario_names names;
  scenario_model m;
  if (int status =
          load_compiled(args.inputs[0], args.route, args.train, m, tr, &names);
      status != 0) {
    return status;
  }
  drawing::page_options page;
  // The names are 8-bit text like the entries that hold them; the folder's
  // path is bytes.
  page.source = "the compiled files of " +
                windows1252_to_printable(names.percorso) + " / " +
                windows1252_to_printable(names.treno) + " in " +
                path_to_printable(dir.string());
  return write(m, page, args.output, tr);
}

// The strict compilation gives the statuses and the codes on standard
// error, as `scenario compile` does; the check gives the drawing (what it
// accepted) and every finding on the page.
int report_descriptions(const report_arguments& args,
                        const warning_options& warnings, const translator& tr) {
  const description_text linea =
      load_description(path_argument(args.inputs[0]));
  const description_text treno =
      load_description(path_argument(args.inputs[1]));
  scenario_model strict;
  strict.percorso = args.route.value_or(build_percorso);
  strict.treno = args.train.value_or(build_treno);
  const int status = compile_in_memory(strict, 1, linea, treno);
  report_diagnostics(strict, std::cerr, /*file_name_only=*/false, tr);

  scenario_model checked;
  checked.percorso = strict.percorso;
  checked.treno = strict.treno;
  std::vector<curve_stretch> curves;  // for the running diagrams
  const check_result findings = check_descriptions(
      linea, treno, warnings, tr, {.compiled = &checked, .curves = &curves});
  drawing::page_options page;
  page.source = "the descriptions " + path_to_printable(args.inputs[0]) +
                " and " + path_to_printable(args.inputs[1]) +
                ", checked in memory";
  page.findings = drawing::problems_of_check(findings, strict.diagnostics, tr);
  page.curves = &curves;
  const int written = write(checked, page, args.output, tr);
  return written != exit_clean ? written : status;
}

int run_report(const report_arguments& args, const translator& tr) {
  warning_options warnings;
  if (!apply_warning_switches("report", args.switches, warnings, tr)) {
    return exit_usage;
  }
  input_form form;
  if (int status = choose_inputs("report", args.inputs, form, tr);
      status != 0) {
    return status;
  }
  return form == input_form::folder ? report_folder(args, tr)
                                    : report_descriptions(args, warnings, tr);
}

}  // namespace

command add_report_command(CLI::App& tool, const translator& tr) {
  auto args = std::make_shared<report_arguments>();
  CLI::App* app = tool.add_subcommand(
      "report",
      tr("Draws a scenario as one self-contained HTML page: plan, profiles, "
         "timetable and problems"));
  app->footer(tr(
      "Forms: scenario report DIR -o FILE.html [--route R] [--train T]; "
      "scenario report LINE TRAIN -o FILE.html [--route R] [--train T].\n"
      "One argument is a folder of compiled files (ROUTE_TRAIN.sim, "
      "ROUTE_TRAIN.dat and, when there, ROUTE_linea.dat); without --route "
      "and --train the folder's one .sim file names the scenario (its "
      "names come from its entries), with one of them the one .sim file "
      "that fits it. Two "
      "arguments are a line and a train description: they are checked in "
      "memory as `scenario check` checks them, nothing is written beside the "
      "page, and the page draws what compiled with every finding (errors and "
      "warnings, switched with -W as for check), marking the code where the "
      "strict compilation, the simulator's build, stops (its codes are "
      "printed on standard error as `scenario compile` prints them).\n"
      "Exit status: 0 page written (and, for descriptions, a clean "
      "compilation); for descriptions the statuses of `scenario compile` (1 "
      "codes recorded, 2 no cells, 3 a slot in use), the page being written "
      "all the same; 4 the page could not be written; 64 bad arguments; 65 "
      "damaged compiled files; 66 missing files; 75 a run kept the folder "
      "busy past the wait."));
  app->add_option("INPUTS", args->inputs,
                  tr("DIR (compiled files) or LINE TRAIN (descriptions)"))
      ->required()
      ->expected(1, 2);
  app->add_option("-o,--output", args->output, tr("the HTML page to write"))
      ->required();
  app->add_option(
      "--route", args->route,
      tr.format("route identifier (descriptions: default %s)", build_percorso));
  app->add_option(
      "--train", args->train,
      tr.format("train identifier (descriptions: default %s)", build_treno));
  app->add_option("-W", args->switches,
                  tr("switch the warnings (for descriptions): -W<name>, "
                     "-Wno-<name>, -Werror"))
      ->allow_extra_args(false);
  return {app, [args, tr] { return run_report(*args, tr); }};
}

}  // namespace scenario::tool
