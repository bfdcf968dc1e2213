// Compiled scenarios for the tests of the readers: a small line and train
// that use every record kind, compiled in memory and written to a folder.
#ifndef SCENARIO_TESTS_TESTING_COMPILED_SCENARIOS_H_
#define SCENARIO_TESTS_TESTING_COMPILED_SCENARIOS_H_

#include <filesystem>
#include <string>

#include "model/model.h"

namespace scenario::testing {

// A 20 km line with curves, gradients, two tunnels (one marked), a speed
// board and a direction board.
std::string every_kind_line();
// Its train: general values, speed limits, adhesion, three stations (one of
// them of a kind without marks, one with a Latin-1 name), two signals, a
// slowdown with its warning, and speed points with and without a speed.
std::string every_kind_train();

// Compiles the pair (with the plan unless `with_plan` is false) under the
// given names; the compilation must be clean.
void compile_every_kind(scenario_model& m, const std::string& percorso,
                        const std::string& treno, bool with_plan = true);

// Compiles the pair and writes its three files (two without the plan) into
// `dir`.
void write_every_kind(const std::filesystem::path& dir,
                      const std::string& percorso, const std::string& treno,
                      bool with_plan = true);

}  // namespace scenario::testing

#endif  // SCENARIO_TESTS_TESTING_COMPILED_SCENARIOS_H_
