// Runs a program of the build as a child process, as a person would, and
// collects its exit status and both output streams. A program can also be
// started and waited for later, to run several at once.
#ifndef SCENARIO_TESTS_TESTING_PROCESS_H_
#define SCENARIO_TESTS_TESTING_PROCESS_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "testing/temp_dir.h"

namespace scenario::testing {

struct process_result {
  int status = -1;  // exit status; -1 when the process did not exit normally
  std::string out;
  std::string err;
};

struct process_options {
  bool without_display = true;  // DISPLAY removed from the environment
  // When nonzero, the most bytes the process may write into one file (a
  // disk that fills up); writing past it fails with "File too large".
  uint64_t file_size_limit = 0;
  // When the tests run as root, the process runs as the unprivileged user
  // nobody, for whom a folder's permissions hold.
  bool without_root = false;
  // When not empty, the folder the process starts in.
  std::string working_directory{};
  // Changes to the process's environment: "NAME=value" sets a variable,
  // "NAME" alone removes it.
  std::vector<std::string> environment{};
};

// The user id `without_root` runs as.
constexpr unsigned unprivileged_user = 65534;

// A child process started and not yet waited for.
class started_process {
 public:
  explicit started_process(const std::vector<std::string>& argv,
                           const process_options& options = {});
  started_process(const started_process&) = delete;
  started_process& operator=(const started_process&) = delete;
  ~started_process();
  // Waits for the process to end; once.
  process_result wait();
  // What the process wrote on standard error so far.
  std::string err_so_far() const;
  // Sends `signal` to the process (before wait()); on Windows, ends it.
  void send(int signal) const;

 private:
  temp_dir streams_;
  intptr_t pid_ = -1;  // a process id on POSIX, a process handle on Windows
};

// Runs argv[0] with the given arguments; with `without_display`, DISPLAY is
// removed from its environment.
process_result run_program(const std::vector<std::string>& argv,
                           bool without_display);

// Without a second argument: the options' defaults (no display).
process_result run_program(const std::vector<std::string>& argv,
                           const process_options& options = {});

// The program `name` in the folder of the running test program, where the
// Windows tests find the programs they run (SCENARIO_TOOL_PATH and the like).
std::string program_beside_tests(const std::string& name);

// Runs the build's `scenario` tool with `args`, without a display.
inline process_result run_tool(std::vector<std::string> args) {
  args.insert(args.begin(), SCENARIO_TOOL_PATH);
  return run_program(args, /*without_display=*/true);
}

}  // namespace scenario::testing

#endif  // SCENARIO_TESTS_TESTING_PROCESS_H_
