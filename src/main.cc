// scenario_builder: writes the scenario this build carries into the
// program's own directory, compiles it and writes the simulator's files.
#include <iostream>

#include "run/run.h"
#include "run/window.h"

int main() {
  const auto dir = scenario::program_directory();
  auto ui = scenario::make_window(dir);
  return scenario::run_scenario(dir, *ui, std::cerr);
}
