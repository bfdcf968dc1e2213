// A language server started as a child process of the benchmark and spoken
// to through pipes, as the lsp and findings figures use it.
#ifndef SCENARIO_TOOLS_BENCH_BENCH_PROCESS_H_
#define SCENARIO_TOOLS_BENCH_BENCH_PROCESS_H_

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "processes.h"

namespace scenario::bench {

namespace lsp {

std::string frame(const std::string& body);

// JSON string of ASCII text (the generated descriptions are ASCII).
std::string quoted(const std::string& text);

struct server_process {
  pid_t pid = -1;
  int to = -1;
  int from = -1;
  std::string pending;

  void send(const std::string& body);
  // Reads messages until one holds `needle`; false at the end of output.
  bool wait_for(const std::string& needle);
  // Reads messages until one holds `needle`; that message, or empty at the
  // end of output.
  std::string message_with(const std::string& needle);
};

// `tool lsp --debounce-ms 0`, its standard error discarded.
server_process start(const std::filesystem::path& tool);

std::string read_text(const std::filesystem::path& p);

}  // namespace lsp
}  // namespace scenario::bench

#endif  // SCENARIO_TOOLS_BENCH_BENCH_PROCESS_H_
