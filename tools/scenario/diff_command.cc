// scenario diff: what changed between two compiled scenarios, one line per
// change: railway objects first, then the cells (all of them with --cells,
// else what no object explains), or both levels as JSON. Exits like diff:
// 0 the same, 1 different, and the readers' statuses (64, 65, 66, 75) when
// a scenario cannot be read.
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "commands.h"
#include "decoding/decoder.h"
#include "decoding/diff.h"
#include "decoding/object_diff.h"
#include "plumbing.h"
#include "shell/arguments.h"

namespace scenario::tool {
namespace {

constexpr int exit_same = 0;
constexpr int exit_different = 1;

struct diff_arguments {
  std::string dir_a;
  std::string dir_b;
  std::optional<std::string> route;
  std::optional<std::string> train;
  bool all = false;
  bool cells = false;
  std::string format = "text";
};

int run_diff(const diff_arguments& args, const translator& tr) {
  scenario_model a;
  scenario_model b;
  for (const auto& [dir, m] : {std::pair{&args.dir_a, &a}, {&args.dir_b, &b}}) {
    const int status = load_compiled(*dir, args.route, args.train, *m, tr);
    if (status != 0) return status;
  }
  diff_options options;
  if (args.all) options.max_stretch_lines = 0;
  const bool json = args.format == "json";
  const scenario_diff d =
      diff_in_objects(a, b, options, args.cells || json, tr);
  if (json) {
    write_diff_json(d, std::cout);
  } else {
    for (const object_change& c : d.objects) std::cout << c.text << '\n';
    for (const std::string& line : d.cells) std::cout << line << '\n';
  }
  std::cout.flush();
  return d.same() ? exit_same : exit_different;
}

}  // namespace

command add_diff_command(CLI::App& tool, const translator& tr) {
  auto args = std::make_shared<diff_arguments>();
  CLI::App* app = tool.add_subcommand(
      "diff", tr("Shows what changed between two compiled scenarios"));
  app->footer(tr(
      "One line per change, old value first. Railway objects first: stations, "
      "signals, tunnels, boards, slowdowns and speed points added, removed, "
      "moved or changed field by field, speed-limit, gradient and adhesion "
      "stretches, the plan where it differs, the general values. Then, with "
      "--cells, every changed cell by index and kilometres, entries by their "
      "use and the plan as ranges of metres; without it, only the cell "
      "changes that no object line explains. --format json gives both "
      "levels. "
      "Without --route and --train each folder must hold one scenario.\n"
      "Exit status: 0 the same; 1 different; 64 bad arguments or several "
      "scenarios in a folder; 65 a damaged file (FILE: byte N: expected ..., "
      "found ...); 66 a missing file; 75 a run kept writing in a folder."));
  app->add_option("DIR_A", args->dir_a, tr("folder of the old scenario"))
      ->required();
  app->add_option("DIR_B", args->dir_b, tr("folder of the new scenario"))
      ->required();
  app->add_option("--route", args->route,
                  tr("route identifier, in both folders"));
  app->add_option("--train", args->train,
                  tr("train identifier, in both folders"));
  app->add_flag("--cells", args->cells,
                tr("list every changed cell, entry and plan range after the "
                   "objects"));
  app->add_flag("--all", args->all,
                tr("list every changed cell, never a summary per field"));
  app->add_option("--format", args->format, tr("text (default) or json"))
      ->check(CLI::IsMember({"text", "json"}));
  return {app, [args, tr] { return run_diff(*args, tr); }};
}

}  // namespace scenario::tool
