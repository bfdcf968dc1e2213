// Runs a program of the build as a child process, as a person would, and
// collects its exit status and both output streams.
#ifndef SCENARIO_TESTS_TESTING_PROCESS_H_
#define SCENARIO_TESTS_TESTING_PROCESS_H_

#include <string>
#include <vector>

namespace scenario::testing {

struct process_result {
  int status = -1;  // exit status; -1 when the process did not exit normally
  std::string out;
  std::string err;
};

// Runs argv[0] with the given arguments; with `without_display`, DISPLAY is
// removed from its environment.
process_result run_program(const std::vector<std::string>& argv,
                           bool without_display);

}  // namespace scenario::testing

#endif  // SCENARIO_TESTS_TESTING_PROCESS_H_
