// scenario inspect: reads a compiled scenario back and shows it to its
// author: a summary in railway terms, a table of chosen cells, or the whole
// scenario as JSON or CSV.
#include <charconv>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "commands.h"
#include "decoding/decoder.h"
#include "decoding/readout.h"
#include "plumbing.h"

namespace scenario::tool {
namespace {

struct inspect_arguments {
  std::string dir;
  std::optional<std::string> route;
  std::optional<std::string> train;
  std::string cells;
  std::string format = "text";
  bool plan = false;
};

// "FROM-TO" in metres, both whole numbers, FROM <= TO.
bool parse_range(const std::string& text, int64_t& from, int64_t& to) {
  const size_t dash = text.find('-');
  if (dash == std::string::npos) return false;
  const char* end = text.data() + text.size();
  const auto a = std::from_chars(text.data(), text.data() + dash, from);
  const auto b = std::from_chars(text.data() + dash + 1, end, to);
  return dash > 0 && a.ec == std::errc() && a.ptr == text.data() + dash &&
         b.ec == std::errc() && b.ptr == end && dash + 1 < text.size() &&
         from <= to;
}

int usage(const std::string& message) {
  std::cerr << "scenario inspect: " << message << '\n';
  return exit_usage;
}

int run_inspect(const inspect_arguments& args, const translator& tr) {
  int64_t from = 0;
  int64_t to = 0;
  if (!args.cells.empty()) {
    if (args.format != "text")
      return usage(tr("--cells goes with the text format"));
    if (!parse_range(args.cells, from, to)) {
      return usage(
          tr.format("--cells wants FROM-TO in metres, FROM <= TO, found \"%s\"",
                    args.cells));
    }
  }
  if (args.plan && args.format != "csv") {
    return usage(tr("--plan goes with --format csv"));
  }

  scenario_model m;
  if (int status = load_compiled(args.dir, args.route, args.train, m, tr);
      status != 0) {
    return status;
  }
  if (args.format == "json") {
    write_json(m, std::cout);
  } else if (args.format == "csv") {
    write_csv(m, args.plan, std::cout);
  } else if (!args.cells.empty()) {
    write_cell_table(m, from, to, std::cout, tr);
  } else {
    write_summary(m, std::cout, tr);
  }
  std::cout.flush();
  return 0;
}

}  // namespace

command add_inspect_command(CLI::App& tool, const translator& tr) {
  auto args = std::make_shared<inspect_arguments>();
  CLI::App* app = tool.add_subcommand(
      "inspect",
      tr("Shows a compiled scenario: a summary, chosen cells, or all "
         "of it as JSON or CSV"));
  app->footer(
      tr("Without --route and --train, DIR must hold one scenario (one .sim "
         "file); its names come from its entries. Entry texts are read as "
         "Windows-1252 and shown as UTF-8.\n"
         "Exit status: 0 shown; 64 bad arguments or several scenarios in DIR; "
         "65 a damaged file (FILE: byte N: expected ..., found ...); 66 a "
         "missing file; 75 a run kept the folder busy for 60 s."));
  app->add_option("DIR", args->dir, tr("folder holding the scenario's files"))
      ->required();
  app->add_option("--route", args->route, tr("route identifier"));
  app->add_option("--train", args->train, tr("train identifier"));
  app->add_option(
      "--cells", args->cells,
      tr("FROM-TO: every field of the cells from FROM to TO metres"));
  app->add_option("--format", args->format, tr("text, json or csv"))
      ->check(CLI::IsMember({"text", "json", "csv"}))
      ->capture_default_str();
  app->add_flag(
      "--plan", args->plan,
      tr("with --format csv: the plan as metre,x,y rows after the cells"));
  return {app, [args, tr] { return run_inspect(*args, tr); }};
}

}  // namespace scenario::tool
