// The figures of a train description with hundreds of thousands of
// findings: `scenario check` against compiling it, and the language
// server's first diagnostics and keystrokes on it.
#ifndef SCENARIO_TOOLS_BENCH_FINDINGS_BENCH_H_
#define SCENARIO_TOOLS_BENCH_FINDINGS_BENCH_H_

#include <filesystem>

namespace scenario::bench {

void findings_figures(const std::filesystem::path& tool,
                      const std::filesystem::path& dir);

}  // namespace scenario::bench

#endif  // SCENARIO_TOOLS_BENCH_FINDINGS_BENCH_H_
