// scenario compile: compiles any pair of descriptions into the simulator's
// three binary files, for scenario authors. Never deletes or changes its
// inputs; reports each recorded code as FILE:LINE: error CODE: meaning.
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

#include "commands.h"
#include "run/run.h"
#include "run/window.h"

namespace scenario::tool {
namespace {

struct compile_arguments {
  std::string linea;
  std::string treno;
  std::string out_dir;
  std::string route = build_percorso;
  std::string train = build_treno;
  bool no_plan = false;
};

int run_compile(const compile_arguments& args) {
  std::error_code ec;
  std::filesystem::create_directories(args.out_dir, ec);
  if (ec) {
    std::cerr << "error: cannot create " << args.out_dir << ": " << ec.message()
              << '\n';
    return exit_file_system;
  }

  scenario_model m;
  m.percorso = args.route;
  m.treno = args.train;
  const compile_inputs in{args.linea, args.treno,
                          /*delete_sources=*/false};
  auto console = make_console_window();
  return memorizza_percorso(m, args.no_plan ? 0 : 1, in, args.out_dir, *console,
                            std::cerr, {.file_names_only = false});
}

}  // namespace

command add_compile_command(CLI::App& tool) {
  auto args = std::make_shared<compile_arguments>();
  CLI::App* app = tool.add_subcommand(
      "compile",
      "Compiles a line and a train description into the simulator's three "
      "binary files");
  app->footer(
      "Writes the plan (ROUTE_linea.dat), the entry table (ROUTE_TRAIN.sim) "
      "and the cell array (ROUTE_TRAIN.dat). The inputs are never changed.\n"
      "Exit status: 0 clean; 1 codes recorded, files written; 2 compilation "
      "ended before the cell array existed, nothing written; 3 an output slot "
      "was in use, nothing written; 4 a file could not be written; 64 bad "
      "arguments.");
  app->add_option("LINE", args->linea, "line description (text)")->required();
  app->add_option("TRAIN", args->treno, "train and service description (text)")
      ->required();
  app->add_option("-o,--output", args->out_dir,
                  "directory that receives the binary files (created when "
                  "missing)")
      ->required();
  app->add_option("--route", args->route,
                  "route identifier, first part of every file name")
      ->capture_default_str();
  app->add_option("--train", args->train, "train identifier")
      ->capture_default_str();
  app->add_flag("--no-plan", args->no_plan,
                "do not build or write the plan polyline (ROUTE_linea.dat)");
  return {app, [args] { return run_compile(*args); }};
}

}  // namespace scenario::tool
