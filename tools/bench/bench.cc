// Benchmark of the builder (not a test): times the whole run in an empty
// folder against the floor of copying its six output files, times the
// compile tool on generated lines of growing length, the check of the
// longest against its compilation, formatting it against the same, the
// language server's time from an edit to its diagnostics, and
// reading the 1000 km scenario back as JSON against the floor of reading its
// files, and a 20 MB train with a finding on nearly every line, checked and
// served. Prints figures, one per line,
// as "name: value unit".
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "bench_process.h"
#include "decoding/decoder.h"
#include "findings_bench.h"
#include "processes.h"
#include "running/running_time.h"
#include "running/train.h"

namespace fs = std::filesystem;
using namespace scenario::bench;

namespace {

// The fastest run along the 1000 km line: its 50 stations timed (a quarter
// of an hour apart, a minute's dwell), compiled, then the calculation alone
// (reading the line out of the model, the run, the legs: what the text
// form and the timetable warnings do) timed in process,
// and the whole `scenario timing` of the compiled folder as a process.
void timing_figures(const fs::path& tool, const fs::path& dir) {
  std::ifstream in(dir / "train.txt", std::ios::binary);
  std::string train((std::istreambuf_iterator<char>(in)),
                    std::istreambuf_iterator<char>());
  const std::string untimed = ",    0,   0, 0, 0, STAZIONE ";
  int k = 0;
  for (size_t at = train.find(untimed); at != std::string::npos;
       at = train.find(untimed, at + 1), ++k) {
    const int minutes = 7 * 60 + 15 * k;
    train.replace(at, untimed.size(),
                  ",   60,   " + std::to_string(minutes / 60) + ", " +
                      std::to_string(minutes % 60) + ", 0, STAZIONE ");
  }
  std::ofstream(dir / "timed_train.txt", std::ios::binary) << train;
  const fs::path out = dir / "timed";
  fs::create_directories(out);
  const sample c =
      run_process({tool.string(), "compile", (dir / "line.txt").string(),
                   (dir / "timed_train.txt").string(), "-o", out.string()});
  scenario::scenario_model m;
  scenario::scenario_names names;
  scenario::decode_result r =
      scenario::find_scenario(out, std::nullopt, std::nullopt, names);
  if (r.ok())
    r = scenario::decode_scenario(out, names.percorso, names.treno, m);
  if (c.status != 0 || !r.ok()) {
    std::printf("timing 1000 km: not compiled (status %d) %s\n", c.status,
                r.message.c_str());
    return;
  }
  // Wall time, and the thread's processor time, which a machine shared
  // with other work does not inflate as much.
  auto cpu_seconds = [] {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) +
           static_cast<double>(t.tv_nsec) * 1e-9;
  };
  std::vector<double> times, cpu_times;
  size_t legs = 0;
  double last = 0;
  for (int i = 0; i < 21; ++i) {
    const double cpu_start = cpu_seconds();
    const auto start = std::chrono::steady_clock::now();
    const scenario::running_line line =
        scenario::read_running_line(m, nullptr, scenario::translator());
    scenario::running_parameters p;
    scenario::take_from_scenario(m, p.train);
    const scenario::running_result run = scenario::run_legs(line, p);
    times.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
            .count());
    cpu_times.push_back(cpu_seconds() - cpu_start);
    legs = run.legs.size();
    last = 0;
    for (const scenario::leg& l : run.legs) last += l.fastest_s;
  }
  std::printf("timing 1000 km: %zu legs, fastest legs %.0f s in all\n", legs,
              last);
  print("timing 1000 km calculation best time",
        *std::min_element(times.begin(), times.end()) * 1000,
        "ms (target <= 50)");
  print("timing 1000 km calculation median time", median(times) * 1000, "ms");
  print("timing 1000 km calculation best processor time",
        *std::min_element(cpu_times.begin(), cpu_times.end()) * 1000,
        "ms (target <= 50)");
  std::vector<double> whole;
  for (int i = 0; i < 5; ++i) {
    whole.push_back(
        run_process({tool.string(), "timing", out.string()}).seconds);
  }
  print("scenario timing 1000 km (folder) median wall time",
        median(whole) * 1000, "ms");
}

// The report page of the 1000 km line, drawn from its descriptions and from
// its compiled files: median time and the page's size.
void report_figures(const fs::path& tool, const fs::path& dir) {
  const struct {
    const char* name;
    std::vector<std::string> inputs;
  } forms[] = {
      {"descriptions",
       {(dir / "line.txt").string(), (dir / "train.txt").string()}},
      {"compiled files", {(dir / "out").string()}},
  };
  for (const auto& form : forms) {
    const fs::path page = dir / "page.html";
    std::vector<std::string> argv = {tool.string(), "report"};
    argv.insert(argv.end(), form.inputs.begin(), form.inputs.end());
    argv.insert(argv.end(), {"-o", page.string()});
    std::vector<double> times;
    int status = 0;
    for (int i = 0; i < 5; ++i) {
      const sample s = run_process(argv);
      times.push_back(s.seconds);
      status = s.status;
    }
    const std::string name = std::string("report 1000 km from ") + form.name;
    std::printf("%s exit status: %d\n", name.c_str(), status);
    print(name + " median wall time", median(times) * 1000,
          "ms (target < 1000)");
    std::error_code ec;
    const auto bytes = fs::file_size(page, ec);
    print(name + " page size", ec ? -1.0 : static_cast<double>(bytes) / 1e6,
          "MB (target < 3)");
  }
}

// Reading the 1000 km scenario back: `scenario inspect --format json`
// against the floor of reading its three files, and its peak memory next to
// compiling the same line. Runs and reads alternate, like the whole runs.
void inspect_figures(const fs::path& tool, const fs::path& out,
                     double compile_time, long compile_peak) {
  std::vector<std::string> cat = {"/bin/cat"};
  for (const auto& e : fs::directory_iterator(out)) {
    cat.push_back(e.path().string());
  }
  std::sort(cat.begin() + 1, cat.end());
  constexpr int reads = 11;
  std::vector<double> inspect_times;
  std::vector<double> summary_times;
  std::vector<double> cat_times;
  long peak = 0;
  int status = 0;
  for (int i = 0; i < reads; ++i) {
    const sample s = run_process(
        {tool.string(), "inspect", out.string(), "--format", "json"});
    inspect_times.push_back(s.seconds);
    peak = std::max(peak, s.peak_kib);
    status = s.status;
    cat_times.push_back(run_process(cat).seconds);
    // The summary decodes all of it but writes little: the decoder's own
    // cost next to the floor.
    const sample summary =
        run_process({tool.string(), "inspect", out.string()});
    summary_times.push_back(summary.seconds);
    peak = std::max(peak, summary.peak_kib);
  }
  uintmax_t bytes = 0;
  for (size_t i = 1; i < cat.size(); ++i) bytes += fs::file_size(cat[i]);
  const double inspect_median = median(inspect_times);
  const double cat_median = median(cat_times);
  std::printf("inspect 1000 km exit status: %d\n", status);
  print("inspect 1000 km: size of the three files", bytes / 1048576.0, "MiB");
  print("inspect --format json 1000 km median wall time", inspect_median * 1000,
        "ms");
  print("cat of the three files median wall time", cat_median * 1000, "ms");
  print("inspect / cat ratio", inspect_median / cat_median, "(target <= 3)");
  print("inspect summary 1000 km median wall time",
        median(summary_times) * 1000, "ms");
  print("inspect summary / cat ratio", median(summary_times) / cat_median, "");
  print("inspect 1000 km peak memory (json and summary)", peak / 1024.0, "MiB");
  print("inspect / compile peak memory ratio",
        static_cast<double>(peak) / static_cast<double>(compile_peak),
        "(target <= 1)");
  print("inspect / compile wall time ratio", inspect_median / compile_time, "");
}

}  // namespace

// Checking the 1000 km pair against compiling it: the two alternate, so
// that a slow spell of the machine weighs on both alike.
void check_figures(const fs::path& tool, const fs::path& dir) {
  std::vector<double> checks;
  std::vector<double> compiles;
  long peak = 0;
  int status = 0;
  for (int i = 0; i < 7; ++i) {
    const sample c =
        run_process({tool.string(), "check", (dir / "line.txt").string(),
                     (dir / "train.txt").string()});
    checks.push_back(c.seconds);
    peak = std::max(peak, c.peak_kib);
    status = c.status;
    compiles.push_back(
        run_process({tool.string(), "compile", (dir / "line.txt").string(),
                     (dir / "train.txt").string(), "-o",
                     (dir / "out").string()})
            .seconds);
  }
  const double check = median(checks);
  const double compile = median(compiles);
  std::printf("check 1000 km exit status: %d\n", status);
  print("check 1000 km median wall time", check * 1000, "ms");
  print("check 1000 km peak memory", peak / 1024.0, "MiB");
  print("check / compile 1000 km ratio", check / compile, "(target <= 2)");
}

// Formatting the 1000 km pair (both files, to standard output) against
// compiling it, alternating as above.
void fmt_figures(const fs::path& tool, const fs::path& dir) {
  std::vector<double> formats;
  std::vector<double> compiles;
  long peak = 0;
  int status = 0;
  for (int i = 0; i < 7; ++i) {
    const sample f =
        run_process({tool.string(), "fmt", (dir / "line.txt").string(),
                     (dir / "train.txt").string()});
    formats.push_back(f.seconds);
    peak = std::max(peak, f.peak_kib);
    status = f.status;
    compiles.push_back(
        run_process({tool.string(), "compile", (dir / "line.txt").string(),
                     (dir / "train.txt").string(), "-o",
                     (dir / "out").string()})
            .seconds);
  }
  const double fmt = median(formats);
  const double compile = median(compiles);
  std::printf("fmt 1000 km exit status: %d\n", status);
  print("fmt 1000 km median wall time", fmt * 1000, "ms");
  print("fmt 1000 km peak memory", peak / 1024.0, "MiB");
  print("fmt / compile 1000 km ratio", fmt / compile, "(target <= 2)");
}

// The language server on the 1000 km pair: the time from an edit to the
// diagnostics it brings (the pause after typing set to 0, so that it does
// not count), and its peak memory against that of `scenario check`.

void lsp_figures(const fs::path& tool, const fs::path& dir) {
  {
    std::ofstream pairs(dir / "scenario-pairs.json");
    pairs << R"({"pairs": [{"line": "line.txt", "train": "train.txt"}]})";
  }
  const std::string line_uri = "file://" + (dir / "line.txt").string();
  const std::string train_uri = "file://" + (dir / "train.txt").string();
  const std::string train_text = lsp::read_text(dir / "train.txt");
  lsp::server_process s = lsp::start(tool);
  s.send(
      R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"rootUri":)" +
      lsp::quoted("file://" + dir.string()) + "}}");
  s.wait_for("\"id\":1");
  s.send(R"({"jsonrpc":"2.0","method":"initialized","params":{}})");
  const auto open = [&](const std::string& uri, const std::string& text) {
    s.send(
        R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":)" +
        lsp::quoted(uri) + R"(,"languageId":"scenario","version":1,"text":)" +
        lsp::quoted(text) + "}}}");
  };
  open(line_uri, lsp::read_text(dir / "line.txt"));
  open(train_uri, train_text);
  s.wait_for("publishDiagnostics\",\"params\":{\"diagnostics\"");
  // Edits to the second line of the train, typed and taken back; each is
  // timed until the train's diagnostics of its version arrive.
  std::vector<double> latencies;
  for (int version = 2; version < 32; ++version) {
    const std::string text = version % 2 == 0 ? "8" : "7";
    const auto start = std::chrono::steady_clock::now();
    s.send(
        R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":)" +
        lsp::quoted(train_uri) + R"(,"version":)" + std::to_string(version) +
        R"(},"contentChanges":[{"range":{"start":{"line":1,"character":19},"end":{"line":1,"character":20}},"text":")" +
        text + R"("}]}})");
    if (!s.wait_for("\"version\":" + std::to_string(version))) break;
    latencies.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
            .count());
  }
  s.send(R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})");
  s.wait_for("\"id\":2");
  s.send(R"({"jsonrpc":"2.0","method":"exit"})");
  close(s.to);
  int status = 0;
  rusage usage{};
  wait4(s.pid, &status, 0, &usage);
  close(s.from);
  long check_peak = 0;
  for (int i = 0; i < 3; ++i) {
    check_peak = std::max(
        check_peak,
        run_process({tool.string(), "check", (dir / "line.txt").string(),
                     (dir / "train.txt").string()})
            .peak_kib);
  }
  std::printf("lsp 1000 km exit status: %d, edits timed: %zu\n",
              WIFEXITED(status) ? WEXITSTATUS(status) : -1, latencies.size());
  if (latencies.empty()) return;
  print("lsp 1000 km edit to diagnostics median", median(latencies) * 1000,
        "ms (target <= 100, pause after typing not counted)");
  print("lsp 1000 km edit to diagnostics slowest",
        *std::max_element(latencies.begin(), latencies.end()) * 1000, "ms");
  // On a loaded machine the wall time waits for the processor; the
  // server's own processor time per edit does not.
  const double cpu =
      static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) /
          1e6;
  print("lsp 1000 km processor time per edit (opening included)",
        cpu / static_cast<double>(latencies.size()) * 1000, "ms");
  print("lsp 1000 km peak memory", usage.ru_maxrss / 1024.0, "MiB");
  print("lsp / check 1000 km peak memory ratio",
        static_cast<double>(usage.ru_maxrss) / static_cast<double>(check_peak),
        "(target <= 2)");
}

namespace {

// Whole runs of the builder in an empty folder against copying its output
// files, alternating, so that a slow spell of the machine weighs on both
// figures alike. Returns false when a run fails.
bool run_figures(const fs::path& builder, const fs::path& work) {
  fs::create_directories(work / "run");
  const fs::path program = work / "run" / "scenario_builder";
  fs::copy_file(builder, program);
  constexpr int runs = 51;
  std::vector<double> run_times;
  std::vector<double> copy_times;
  long run_peak = 0;
  std::vector<std::string> cp;
  for (int i = 0; i < runs; ++i) {
    for (const auto& e : fs::directory_iterator(work / "run")) {
      if (e.path() != program) fs::remove(e.path());
    }
    const sample s = run_process({program.string()});
    if (s.status != 0) {
      std::cerr << "the run ended with status " << s.status << "\n";
      return false;
    }
    run_times.push_back(s.seconds);
    run_peak = std::max(run_peak, s.peak_kib);
    if (cp.empty()) {
      cp.push_back("/bin/cp");
      for (const auto& e : fs::directory_iterator(work / "run")) {
        if (e.path() != program) cp.push_back(e.path().string());
      }
      cp.push_back((work / "copy").string());
    }
    fs::remove_all(work / "copy");
    fs::create_directories(work / "copy");
    copy_times.push_back(run_process(cp).seconds);
  }
  const double run_median = median(run_times);
  const double copy_median = median(copy_times);
  std::printf("output files: %zu\n", cp.size() - 2);
  print("run median wall time", run_median * 1000, "ms");
  print("run peak memory", run_peak / 1024.0, "MiB");
  print("copy of the six files median wall time", copy_median * 1000, "ms");
  print("run / copy ratio", run_median / copy_median, "(target <= 2)");
  return true;
}

// `scenario compile` on a generated line of `km` kilometres; the 1000 km
// line is then timed by every other tool.
void compile_figures(const fs::path& tool, const fs::path& work, int km) {
  const fs::path dir = work / ("line_" + std::to_string(km));
  fs::create_directories(dir / "out");
  generate(dir / "line.txt", dir / "train.txt", km);
  std::vector<double> times;
  long peak = 0;
  int status = 0;
  for (int i = 0; i < 5; ++i) {
    const sample s = run_process(
        {tool.string(), "compile", (dir / "line.txt").string(),
         (dir / "train.txt").string(), "-o", (dir / "out").string()});
    times.push_back(s.seconds);
    peak = std::max(peak, s.peak_kib);
    status = s.status;
  }
  const double t = median(times);
  std::printf("compile %d km exit status: %d\n", km, status);
  print("compile " + std::to_string(km) + " km median wall time", t * 1000,
        "ms");
  print("compile " + std::to_string(km) + " km time per km", t * 1e6 / km,
        "us/km");
  print("compile " + std::to_string(km) + " km peak memory", peak / 1024.0,
        "MiB (target < 64 at 1000 km)");
  if (km == 1000) {
    report_figures(tool, dir);
    check_figures(tool, dir);
    fmt_figures(tool, dir);
    timing_figures(tool, dir);
    lsp_figures(tool, dir);
    inspect_figures(tool, dir / "out", t, peak);
  }
}

}  // namespace

// Only the running-time figures, on the generated 1000 km line.
void timing_only(const fs::path& tool, const fs::path& work) {
  const fs::path dir = work / "line_1000";
  fs::create_directories(dir);
  generate(dir / "line.txt", dir / "train.txt", 1000);
  timing_figures(tool, dir);
}

int main(int argc, char** argv) {
  // A fourth word runs one group of figures alone.
  const std::string only = argc == 5 ? argv[4] : "";
  if (argc != 4 && only != "findings" && only != "timing") {
    std::cerr << "usage: scenario_bench BUILDER SCENARIO_TOOL WORK_DIR "
                 "[findings|timing]\n";
    return 64;
  }
  const fs::path builder = fs::absolute(argv[1]);
  const fs::path tool = fs::absolute(argv[2]);
  const fs::path work = fs::absolute(argv[3]);
  fs::remove_all(work);
  if (only == "findings") {
    findings_figures(tool, work / "findings");
    return 0;
  }
  if (only == "timing") {
    timing_only(tool, work);
    return 0;
  }
  if (!run_figures(builder, work)) return 1;
  for (int km : {100, 300, 1000}) compile_figures(tool, work, km);
  findings_figures(tool, work / "findings");
  return 0;
}
