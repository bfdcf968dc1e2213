// scenario timing: the fastest run of the scenario's train along its line,
// stopping at every timed stop, set against the timetable leg by leg, with
// the regularity margin and a verdict per leg. Reads a folder of compiled
// files or compiles a line and a train description in memory.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "checking/timetable_warnings.h"
#include "checking/warnings.h"
#include "commands.h"
#include "compiler/compiler.h"
#include "decoding/decoder.h"
#include "model/text_8bit.h"
#include "pipeline/report.h"
#include "plumbing.h"
#include "running/running_time.h"
#include "running/timing_report.h"
#include "running/train.h"
#include "shell/arguments.h"
#include "shell/run.h"

namespace scenario::tool {
namespace {

struct timing_arguments {
  std::vector<std::string> inputs;
  std::string format = "text";
  std::optional<std::string> route;
  std::optional<std::string> train;
  std::optional<std::string> params_file;
  std::optional<int> cars;
  std::optional<double> train_mass, loco_mass, car_mass, loco_length,
      car_length, power, max_tractive_effort, adhesion, max_speed, braked_mass,
      deceleration, cant, cant_deficiency, per_100km, slack_factor;
  std::optional<std::string> margin;
};

struct loaded {
  scenario_model m;
  std::optional<std::vector<curve_stretch>> curves;
  std::string source;
  std::string from_source;
};

int load_folder(const timing_arguments& args, loaded& out,
                const translator& tr) {
  const int status =
      load_compiled(args.inputs[0], args.route, args.train, out.m, tr);
  if (status != 0) return status;
  const std::string dir = path_argument(args.inputs[0]).string();
  out.source = tr.format("the compiled files in %s", dir);
  out.from_source = tr.format("from the compiled files in %s", dir);
  return 0;
}

int load_descriptions(const timing_arguments& args, loaded& out,
                      const translator& tr) {
  out.m.percorso = args.route.value_or(build_percorso);
  out.m.treno = args.train.value_or(build_treno);
  record_collector records;
  const int status = compile_in_memory(
      out.m, 1, load_description(path_argument(args.inputs[0])),
      load_description(path_argument(args.inputs[1])),
      {.keep_going = false, .observer = &records});
  report_diagnostics(out.m, std::cerr, /*file_name_only=*/false, tr);
  if (status != exit_clean) {
    std::cerr << "scenario timing: "
              << tr("the descriptions do not compile cleanly; nothing is "
                    "timed")
              << '\n';
    return exit_data;
  }
  out.curves = curve_stretches(records.records());
  out.source =
      tr.format("the descriptions %s and %s", args.inputs[0], args.inputs[1]);
  out.from_source = tr.format("from the descriptions %s and %s", args.inputs[0],
                              args.inputs[1]);
  return 0;
}

// The options over the values so far; false with a message for a bad
// margin list or whole-train mass.
bool apply_options(const timing_arguments& a, running_parameters& p,
                   const translator& tr) {
  train_parameters& t = p.train;
  if (a.cars) t.cars = *a.cars;
  const std::pair<const std::optional<double>*, double*> values[] = {
      {&a.loco_mass, &t.loco_mass_t},
      {&a.car_mass, &t.car_mass_t},
      {&a.loco_length, &t.loco_length_m},
      {&a.car_length, &t.car_length_m},
      {&a.power, &t.power_kw},
      {&a.max_tractive_effort, &t.max_tractive_effort_kn},
      {&a.adhesion, &t.adhesion},
      {&a.max_speed, &t.max_speed_kmh},
      {&a.braked_mass, &t.braked_mass_percent},
      {&a.deceleration, &t.deceleration_at_100_ms2},
      {&a.cant, &t.cant_mm},
      {&a.cant_deficiency, &t.cant_deficiency_mm},
      {&a.per_100km, &p.margin.minutes_per_100km},
      {&a.slack_factor, &p.margin.slack_factor},
  };
  for (const auto& [given, field] : values) {
    if (*given) *field = **given;
  }
  std::string why;
  if (a.margin && !parse_margin_bands(*a.margin, p.margin.bands, tr, &why)) {
    std::cerr << "scenario timing: --margin: " << why << '\n';
    return false;
  }
  if (a.train_mass) {
    // The whole train's mass: the cars share what the locomotive leaves.
    if (!(*a.train_mass > t.loco_mass_t) || t.cars <= 0) {
      std::cerr << "scenario timing: "
                << tr("--train-mass must exceed the locomotive's mass, with "
                      "at least one car")
                << '\n';
      return false;
    }
    t.car_mass_t = (*a.train_mass - t.loco_mass_t) / t.cars;
  }
  return true;
}

// The JSON file of values: a missing one is status 66, a bad one 64.
int apply_params_file(const std::string& file, running_parameters& p,
                      const translator& tr) {
  std::error_code ec;
  const auto path = path_argument(file);
  std::ifstream in(path, std::ios::binary);
  if (!in || std::filesystem::is_directory(path, ec)) {
    const bool there = std::filesystem::exists(path, ec);
    std::cerr << "scenario timing: --params: "
              << (there ? tr.format("cannot read %s", file)
                        : tr.format("cannot read %s: no such file", file))
              << '\n';
    return there ? exit_usage : exit_no_input;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::string why;
  if (!apply_json_overrides(text.str(), p, tr, &why)) {
    std::cerr << "scenario timing: " << file << ": " << why << '\n';
    return exit_usage;
  }
  return 0;
}

// The scenario's values, then the JSON file, then the options: 0, or the
// status to end with.
int parameters_of(const timing_arguments& a, const scenario_model& m,
                  running_parameters& p, const translator& tr) {
  take_from_scenario(m, p.train);
  if (a.params_file) {
    if (const int status = apply_params_file(*a.params_file, p, tr))
      return status;
  }
  if (!apply_options(a, p, tr)) return exit_usage;
  std::string why;
  if (!valid(p, tr, &why)) {
    std::cerr << "scenario timing: " << why << '\n';
    return exit_usage;
  }
  return 0;
}

int run_timing(const timing_arguments& args, const translator& tr) {
  loaded l;
  input_form form;
  int status = choose_inputs("timing", args.inputs, form, tr);
  if (status != 0) return status;
  status = form == input_form::folder ? load_folder(args, l, tr)
                                      : load_descriptions(args, l, tr);
  if (status != 0) return status;
  running_parameters p;
  if (const int bad = parameters_of(args, l.m, p, tr)) return bad;
  const running_line line =
      read_running_line(l.m, l.curves ? &*l.curves : nullptr, tr);
  if (!line.damage.empty()) {
    std::cerr << "scenario timing: " << l.source << ": " << line.damage << '\n';
    return exit_data;
  }
  const timing_context c{windows1252_to_utf8(l.m.percorso),
                         windows1252_to_utf8(l.m.treno), l.source,
                         l.from_source};
  running_result r;
  if (args.format == "text") {
    r = run_legs(line, p);
    std::cout << format_timing_text(c, line, p, r, tr) << std::flush;
  } else {
    // The profile is printed every 10 m: the run keeps those nodes alone.
    profile_sampler rows(1);
    r = run_legs(line, p, 1, [&rows](const run_node& n) { rows.take(n); });
    std::cout << (args.format == "json"
                      ? format_timing_json(c, line, p, r, rows.rows(), tr)
                      : format_timing_csv(c, line, p, r, rows.rows()))
              << std::flush;
  }
  for (const leg& g : r.legs) {
    if (g.judged == verdict::impossible) return 1;
  }
  return r.stand_m ? 1 : 0;
}

}  // namespace

command add_timing_command(CLI::App& tool, const translator& tr) {
  auto args = std::make_shared<timing_arguments>();
  CLI::App* app = tool.add_subcommand(
      "timing",
      tr("Times the scenario's train along its line: the fastest run, the run "
         "with the regularity margin and a verdict for every leg of the "
         "timetable"));
  app->footer(
      tr("Forms: scenario timing DIR [options]; scenario timing LINE TRAIN "
         "[options]. A folder of compiled files carries no curve record, so "
         "its curves are not limited; descriptions are compiled in memory "
         "(writing nothing) and their curves count.\n"
         "The train's values come from the scenario (cars, braked-mass "
         "percentage), then --params FILE.json, then the options; every output "
         "states the values used.\n"
         "Exit status: 0 every leg can be run in its time; 1 a leg cannot; 64 "
         "bad arguments; 65 damaged compiled files or descriptions that do "
         "not compile; 66 missing files; 75 a run kept the folder busy past "
         "the wait."));
  app->add_option("INPUTS", args->inputs,
                  tr("DIR (compiled files) or LINE TRAIN (descriptions)"))
      ->required()
      ->expected(1, 2);
  app->add_option("--format", args->format, tr("text, json or csv"))
      ->check(CLI::IsMember({"text", "json", "csv"}))
      ->capture_default_str();
  app->add_option("--route", args->route, tr("route identifier"));
  app->add_option("--train", args->train, tr("train identifier"));
  app->add_option("--params", args->params_file,
                  tr("a JSON object of train and margin values"));
  app->add_option("--cars", args->cars, tr("number of cars"))
      ->check(CLI::Range(0, 100));
  app->add_option("--train-mass", args->train_mass,
                  tr("whole train's mass, t (the cars share what the "
                     "locomotive leaves)"));
  app->add_option("--loco-mass", args->loco_mass, tr("locomotive mass, t"));
  app->add_option("--car-mass", args->car_mass, tr("mass per car, t"));
  app->add_option("--loco-length", args->loco_length,
                  tr("locomotive length, m"));
  app->add_option("--car-length", args->car_length, tr("length per car, m"));
  app->add_option("--power", args->power, tr("power at the wheel, kW"));
  app->add_option("--max-tractive-effort", args->max_tractive_effort,
                  tr("the locomotive's maximum tractive effort, kN"));
  app->add_option("--adhesion", args->adhesion,
                  tr("coefficient of adhesion at rest (falls with speed)"));
  app->add_option("--max-speed", args->max_speed,
                  tr("top speed of the rolling stock, km/h"));
  app->add_option("--braked-mass", args->braked_mass,
                  tr("braked-mass percentage"));
  app->add_option("--deceleration", args->deceleration,
                  tr("service deceleration at 100 % braked mass, m/s^2"));
  app->add_option("--cant", args->cant, tr("cant of every curve, mm"));
  app->add_option("--cant-deficiency", args->cant_deficiency,
                  tr("cant deficiency the train may run with, mm"));
  app->add_option("--margin", args->margin,
                  tr("margin per speed band, e.g. 140:4,160:5,200:6,*:7"));
  app->add_option("--margin-per-100km", args->per_100km,
                  tr("margin minutes per 100 km"));
  app->add_option("--slack-factor", args->slack_factor,
                  tr("a leg is slack beyond this times the run with margin"));
  return {app, [args, tr] { return run_timing(*args, tr); }};
}

}  // namespace scenario::tool
