// scenario_compile: compiles any pair of descriptions into the simulator's
// three binary files, for scenario authors. Never deletes or changes its
// inputs; reports each recorded code as FILE:LINE: error CODE: meaning.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "run/run.h"
#include "run/window.h"

namespace {

constexpr int exit_usage = 64;

struct arguments {
  std::string linea;
  std::string treno;
  std::string out_dir;
  std::string route = scenario::build_percorso;
  std::string train = scenario::build_treno;
  bool no_plan = false;
};

void describe(CLI::App& app, arguments& args) {
  app.description(
      "Compiles a line description and a train and service description into "
      "the simulator's plan (ROUTE_linea.dat), entry table (ROUTE_TRAIN.sim) "
      "and cell array (ROUTE_TRAIN.dat). The inputs are never changed.\n"
      "Exit status: 0 clean; 1 codes recorded, files written; 2 compilation "
      "ended before the cell array existed, nothing written; 3 an output slot "
      "was in use, nothing written; 4 a file could not be written; 64 bad "
      "arguments.");
  app.add_option("LINE", args.linea, "line description (text)")->required();
  app.add_option("TRAIN", args.treno, "train and service description (text)")
      ->required();
  app.add_option("-o,--output", args.out_dir,
                 "directory that receives the binary files")
      ->required();
  app.add_option("--route", args.route, "route identifier, first part of "
                                        "every file name")
      ->capture_default_str();
  app.add_option("--train", args.train, "train identifier")
      ->capture_default_str();
  app.add_flag("--no-plan", args.no_plan,
               "do not build or write the plan polyline (ROUTE_linea.dat)");
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"", "scenario_compile"};
  arguments args;
  describe(app, args);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "scenario_compile: " << e.what() << "\n\n"
              << app.help() << std::flush;
    return exit_usage;
  }

  std::error_code ec;
  std::filesystem::create_directories(args.out_dir, ec);
  if (ec) {
    std::cerr << "error: cannot create " << args.out_dir << ": "
              << ec.message() << '\n';
    return scenario::exit_file_system;
  }

  scenario::scenario_model m;
  m.percorso = args.route;
  m.treno = args.train;
  const scenario::compile_inputs in{args.linea, args.treno,
                                    /*delete_sources=*/false};
  auto console = scenario::make_console_window();
  return scenario::memorizza_percorso(m, args.no_plan ? 0 : 1, in,
                                      args.out_dir, *console, std::cerr,
                                      {.file_names_only = false});
}
