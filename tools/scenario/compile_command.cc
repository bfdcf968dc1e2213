// scenario compile: compiles any pair of descriptions into the simulator's
// three binary files, for scenario authors. Never deletes or changes its
// inputs; reports each recorded code as FILE:LINE:COLUMN: error CODE:
// meaning, with the source line and a caret under the field.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

#include "commands.h"
#include "model/system_reasons.h"
#include "output/binary_files.h"
#include "pipeline/report.h"
#include "shell/arguments.h"
#include "shell/run.h"
#include "shell/window.h"

namespace scenario::tool {
namespace {

struct compile_arguments {
  std::string linea;
  std::string treno;
  std::string out_dir;
  std::string route = build_percorso;
  std::string train = build_treno;
  bool no_plan = false;
  double wait_seconds =
      std::chrono::duration<double>(default_folder_wait).count();
};

int run_compile(const compile_arguments& args, const translator& tr) {
  const std::filesystem::path out_dir = path_argument(args.out_dir);
  std::error_code ec;
  std::filesystem::create_directories(out_dir, ec);
  if (ec) {
    std::cerr << tr.format("error: cannot create %s: %s", args.out_dir,
                           system_reason(ec.message(), tr))
              << '\n';
    return exit_file_system;
  }

  const std::chrono::milliseconds wait(std::llround(args.wait_seconds * 1000));
  const auto outputs = binary_outputs(out_dir, args.route, args.train);
  const auto work = [&] {
    scenario_model m;
    m.percorso = args.route;
    m.treno = args.train;
    const compile_inputs in{path_argument(args.linea),
                            path_argument(args.treno),
                            /*delete_sources=*/false};
    auto console = make_console_window();
    return memorizza_percorso(m, args.no_plan ? 0 : 1, in, out_dir, *console,
                              std::cerr,
                              {.file_names_only = false,
                               .with_source = true,
                               .colour = use_colour(),
                               .tr = tr});
  };
  return with_folder_locked(out_dir, wait, std::cerr, outputs, work, tr);
}

// A wait in seconds: a plain number from 0 to a million (NaN and infinity
// would pass a range check).
CLI::Validator seconds_validator(const translator& tr) {
  return CLI::Validator(
      [tr](std::string& text) -> std::string {
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        if (end == text.c_str() || *end != '\0' || !(v >= 0 && v <= 1e6)) {
          return tr.format(
              "expected a number of seconds from 0 to 1000000, got %s", text);
        }
        return {};
      },
      "SECONDS");
}

}  // namespace

command add_compile_command(CLI::App& tool, const translator& tr) {
  auto args = std::make_shared<compile_arguments>();
  CLI::App* app = tool.add_subcommand(
      "compile",
      tr("Compiles a line and a train description into the simulator's three "
         "binary files"));
  app->footer(tr(
      "Writes the plan (ROUTE_linea.dat), the entry table (ROUTE_TRAIN.sim) "
      "and the cell array (ROUTE_TRAIN.dat), replaced together as one set. "
      "The inputs are never changed. One run at a time writes into a "
      "directory; another one waits for it.\n"
      "Exit status: 0 clean; 1 codes recorded, files written; 2 compilation "
      "ended before the cell array existed, nothing written; 3 an output slot "
      "was in use, nothing written; 4 a file could not be written; 64 bad "
      "arguments; 75 the directory stayed in use for the whole wait."));
  app->add_option("LINE", args->linea, tr("line description (text)"))
      ->required();
  app->add_option("TRAIN", args->treno,
                  tr("train and service description (text)"))
      ->required();
  app->add_option("-o,--output", args->out_dir,
                  tr("directory that receives the binary files (created when "
                     "missing)"))
      ->required();
  app->add_option("--route", args->route,
                  tr("route identifier, first part of every file name"))
      ->capture_default_str();
  app->add_option("--train", args->train, tr("train identifier"))
      ->capture_default_str();
  app->add_flag(
      "--no-plan", args->no_plan,
      tr("do not build or write the plan polyline (ROUTE_linea.dat)"));
  app->add_option("--wait", args->wait_seconds,
                  tr("seconds to wait for another run writing into the "
                     "directory before giving up (0: do not wait)"))
      ->capture_default_str()
      ->check(seconds_validator(tr));
  return {app, [args, tr] { return run_compile(*args, tr); }};
}

}  // namespace scenario::tool
