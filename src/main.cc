// scenario_builder: writes the scenario this build carries into the
// program's own directory, compiles it and writes the simulator's files.
#include <iostream>

#include "run/run.h"
#include "run/window.h"

int main() {
  auto ui = scenario::make_window();
  return scenario::run_scenario(scenario::program_directory(), *ui, std::cerr);
}
