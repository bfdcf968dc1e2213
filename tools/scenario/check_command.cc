// scenario check: every problem of a pair of descriptions in one pass, the
// compiler's codes and the consistency warnings, as text (standard error),
// JSON or SARIF (standard output). Writes nothing and never changes its
// inputs.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "checking/check.h"
#include "checking/formats.h"
#include "commands.h"
#include "compiler/compiler.h"
#include "pipeline/report.h"
#include "plumbing.h"
#include "shell/arguments.h"

namespace scenario::tool {
namespace {

struct check_arguments {
  std::string linea;
  std::string treno;
  std::string format = "text";
  std::vector<std::string> switches;
  bool list_warnings = false;
};

int run_check(const check_arguments& args, const translator& tr) {
  if (args.list_warnings) {
    std::cout << format_warning_list(tr) << std::flush;
    return 0;
  }
  if (args.linea.empty() || args.treno.empty()) {
    std::cerr << "scenario check: " << tr("LINE and TRAIN are required")
              << '\n';
    return exit_usage;
  }
  warning_options options;
  if (!apply_warning_switches("check", args.switches, options, tr)) {
    return exit_usage;
  }
  const check_result r = check_descriptions(
      load_description(path_argument(args.linea)),
      load_description(path_argument(args.treno)), options, tr);
  if (args.format == "json") {
    write_json(std::cout, r, tr);
    std::cout << std::flush;
  } else if (args.format == "sarif") {
    std::cout << format_sarif(r, tr) << std::flush;
  } else {
    write_text(std::cerr, r, use_colour(), tr);
    std::cerr << std::flush;
  }
  return check_status(r);
}

}  // namespace

command add_check_command(CLI::App& tool, const translator& tr) {
  auto args = std::make_shared<check_arguments>();
  CLI::App* app = tool.add_subcommand(
      "check",
      tr("Lists every problem of a line and a train description in one "
         "pass: the compiler's errors and the consistency warnings"));
  app->footer(
      tr("Warnings: -W<name> enables one, -Wno-<name> disables it, -Werror "
         "makes warnings errors; --list-warnings lists them. Text goes to "
         "standard error, JSON and SARIF 2.1.0 to standard output.\n"
         "Exit status: 0 no error (warnings allowed); 1 errors, or warnings "
         "under -Werror; 64 bad arguments."));
  app->add_option("LINE", args->linea, tr("line description (text)"));
  app->add_option("TRAIN", args->treno,
                  tr("train and service description (text)"));
  app->add_option("--format", args->format, tr("text, json or sarif"))
      ->check(CLI::IsMember({"text", "json", "sarif"}))
      ->capture_default_str();
  app->add_option("-W", args->switches,
                  tr("switch the warnings: -W<name>, -Wno-<name>, -Werror"))
      ->allow_extra_args(false);
  app->add_flag("--list-warnings", args->list_warnings,
                tr("list every warning with its rationale and exit"));
  return {app, [args, tr] { return run_check(*args, tr); }};
}

}  // namespace scenario::tool
