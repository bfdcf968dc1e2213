#include "findings_bench.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench_process.h"

namespace fs = std::filesystem;

namespace scenario::bench {
namespace {

constexpr long train_bytes = 20'000'000;

// A 100 km line, and a train of about 20 MB whose records each raise a
// finding: the adhesion record repeated, a warning each time.
void generate(const fs::path& line_file, const fs::path& train_file) {
  std::ofstream l(line_file, std::ios::binary);
  l << "[generale]\r\nlunghezza percorso,    100000\r\n[fine]\r\n";
  std::ofstream t(train_file, std::ios::binary);
  t << "[generale]\r\nnumero vetture,    7\r\npercentuale massa frenata,    "
       "100\r\nsabbia,    0\r\norologio,    7   5   30 \r\n[aderenze]\r\n";
  const std::string record = "aderenza,     0,    100\r\n";
  for (long written = 0; written < train_bytes; written += record.size()) {
    t << record;
  }
  t << "[fine]\r\n";
}

struct measured {
  double seconds = 0;
  double cpu_seconds = 0;
  long peak_kib = 0;
  int status = -1;
};

measured median_of(const std::vector<std::string>& argv, int runs) {
  std::vector<double> times;
  std::vector<double> cpu_times;
  measured m;
  for (int i = 0; i < runs; ++i) {
    const sample s = run_process(argv);
    times.push_back(s.seconds);
    cpu_times.push_back(s.cpu_seconds);
    m.peak_kib = std::max(m.peak_kib, s.peak_kib);
    m.status = s.status;
  }
  m.seconds = median(times);
  m.cpu_seconds = median(cpu_times);
  return m;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
      .count();
}

// How many diagnostics one publishDiagnostics message carries.
size_t diagnostics_in(const std::string& message) {
  size_t n = 0;
  for (size_t at = message.find("\"source\":\"scenario\"");
       at != std::string::npos;
       at = message.find("\"source\":\"scenario\"", at + 1)) {
    ++n;
  }
  return n;
}

void server_figures(const fs::path& tool, const fs::path& dir,
                    long check_peak_kib) {
  {
    std::ofstream pairs(dir / "scenario-pairs.json");
    pairs << R"({"pairs": [{"line": "line.txt", "train": "train.txt"}]})";
  }
  const std::string line_uri = "file://" + (dir / "line.txt").string();
  const std::string train_uri = "file://" + (dir / "train.txt").string();
  lsp::server_process s = lsp::start(tool);
  const auto start = std::chrono::steady_clock::now();
  s.send(
      R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"rootUri":)" +
      lsp::quoted("file://" + dir.string()) + "}}");
  s.wait_for("\"id\":1");
  const auto open = [&](const std::string& uri, const std::string& text) {
    s.send(
        R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":)" +
        lsp::quoted(uri) + R"(,"languageId":"scenario","version":1,"text":)" +
        lsp::quoted(text) + "}}}");
  };
  open(line_uri, lsp::read_text(dir / "line.txt"));
  open(train_uri, lsp::read_text(dir / "train.txt"));
  const std::string first =
      s.message_with(lsp::quoted(train_uri) + ",\"version\":1");
  const double to_first = seconds_since(start);
  std::vector<double> keystrokes;
  // A digit of the number of cars typed over and back.
  for (int version = 2; version < 8; ++version) {
    const auto typed = std::chrono::steady_clock::now();
    s.send(
        R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":)" +
        lsp::quoted(train_uri) + R"(,"version":)" + std::to_string(version) +
        R"(},"contentChanges":[{"range":{"start":{"line":1,"character":19},"end":{"line":1,"character":20}},"text":")" +
        (version % 2 == 0 ? "8" : "7") + R"("}]}})");
    if (!s.wait_for("\"version\":" + std::to_string(version))) break;
    keystrokes.push_back(seconds_since(typed));
  }
  s.send(R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})");
  s.wait_for("\"id\":2");
  s.send(R"({"jsonrpc":"2.0","method":"exit"})");
  close(s.to);
  int status = 0;
  rusage usage{};
  wait4(s.pid, &status, 0, &usage);
  close(s.from);
  std::printf(
      "lsp findings train exit status: %d, diagnostics published: "
      "%zu\n",
      WIFEXITED(status) ? WEXITSTATUS(status) : -1, diagnostics_in(first));
  print("lsp findings train open to first diagnostics", to_first * 1000, "ms");
  if (!keystrokes.empty()) {
    print("lsp findings train keystroke to diagnostics median",
          median(keystrokes) * 1000, "ms (target <= 1000)");
    print("lsp findings train keystroke to diagnostics slowest",
          *std::max_element(keystrokes.begin(), keystrokes.end()) * 1000, "ms");
  }
  print("lsp findings train peak memory", usage.ru_maxrss / 1024.0, "MiB");
  print("lsp / check findings train peak memory ratio",
        static_cast<double>(usage.ru_maxrss) /
            static_cast<double>(check_peak_kib),
        "");
}

}  // namespace

void findings_figures(const fs::path& tool, const fs::path& dir) {
  fs::create_directories(dir / "out");
  generate(dir / "line.txt", dir / "train.txt");
  const std::string line = (dir / "line.txt").string();
  const std::string train = (dir / "train.txt").string();
  std::error_code ec;
  print("findings train size", fs::file_size(train, ec) / 1e6, "MB");
  const measured compile = median_of(
      {tool.string(), "compile", line, train, "-o", (dir / "out").string()}, 3);
  const measured check = median_of({tool.string(), "check", line, train}, 3);
  const measured json =
      median_of({tool.string(), "check", "--format", "json", line, train}, 3);
  std::printf("findings train compile exit status: %d, check: %d\n",
              compile.status, check.status);
  print("compile findings train median wall time", compile.seconds * 1000,
        "ms");
  print("compile findings train peak memory", compile.peak_kib / 1024.0, "MiB");
  print("check findings train median wall time", check.seconds * 1000, "ms");
  print("check findings train peak memory", check.peak_kib / 1024.0, "MiB");
  print("check / compile findings train time ratio",
        check.seconds / compile.seconds, "(target <= 3)");
  // CPU time does not grow with what else the machine runs.
  print("compile findings train median CPU time", compile.cpu_seconds * 1000,
        "ms");
  print("check findings train median CPU time", check.cpu_seconds * 1000, "ms");
  print("check / compile findings train CPU time ratio",
        check.cpu_seconds / compile.cpu_seconds, "(target <= 3)");
  print("check / compile findings train peak memory ratio",
        static_cast<double>(check.peak_kib) /
            static_cast<double>(compile.peak_kib),
        "(target <= 3)");
  print("check --format json findings train median wall time",
        json.seconds * 1000, "ms");
  print("check --format json findings train peak memory",
        json.peak_kib / 1024.0, "MiB");
  server_figures(tool, dir, check.peak_kib);
}

}  // namespace scenario::bench
