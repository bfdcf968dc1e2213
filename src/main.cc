// scenario_builder: writes the scenario this build carries into the
// program's own directory, compiles it and writes the simulator's files.
#include <iostream>

#include "run/last_resort.h"
#include "run/run.h"
#include "run/window.h"

// One run at a time writes into the folder: a second one waits for the
// first, then runs. An unexpected exception ends the run with status 70.
int main() {
  return scenario::run_guarded("scenario_builder", std::cerr, [] {
    const auto dir = scenario::program_directory();
    const auto outputs = scenario::run_outputs(dir, scenario::build_percorso,
                                               scenario::build_treno);
    return scenario::with_folder_locked(
        dir, scenario::default_folder_wait, std::cerr, outputs, [&dir] {
          auto ui = scenario::make_window(dir);
          return scenario::run_scenario(dir, *ui, std::cerr);
        });
  });
}
