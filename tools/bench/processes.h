// The bench's tools: running a program and taking its wall time, CPU time
// and peak memory, the median of a set of times, a figure printed as "name:
// value unit", and a generated line of any length with its train.
#ifndef SCENARIO_TOOLS_BENCH_PROCESSES_H_
#define SCENARIO_TOOLS_BENCH_PROCESSES_H_

#include <filesystem>
#include <string>
#include <vector>

namespace scenario::bench {

struct sample {
  double seconds = 0;
  double cpu_seconds = 0;  // user and system time of the process
  long peak_kib = 0;
  int status = -1;
};

// Runs `argv` with stdout and stderr discarded and DISPLAY unset.
sample run_process(const std::vector<std::string>& argv);

double median(std::vector<double> v);

void print(const std::string& name, double value, const char* unit);

// A line of `km` kilometres with proportionally many records, laid out so
// that no two objects claim one cell.
void generate(const std::filesystem::path& line_file,
              const std::filesystem::path& train_file, int km);

}  // namespace scenario::bench

#endif  // SCENARIO_TOOLS_BENCH_PROCESSES_H_
