// `scenario compile` runs one at a time per output folder: started together
// they all succeed, a run waits for readers and writers, and gives up after
// its --wait with status 75.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "output/folder_lock.h"
#include "sources/sources.h"
#include "testing/pinned_files.h"
#include "testing/process.h"
#include "testing/sha256.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using namespace std::chrono_literals;
using testing::names_in;
using testing::process_result;
using testing::read_file;
using testing::started_process;
using testing::temp_dir;

// The build's own pair of descriptions, and an output folder for them.
struct build_pair {
  temp_dir dir;
  std::filesystem::path out = dir / "out";
  std::vector<std::string> args;

  build_pair() {
    file_failure failure;
    EXPECT_TRUE(dati_linea(dir.path(), "Tarvena_Olmisco", &failure));
    EXPECT_TRUE(dati_treno(dir.path(), "Tarvena_Olmisco", "IR 4518", &failure));
    std::filesystem::create_directory(out);
    args = {SCENARIO_TOOL_PATH,
            "compile",
            linea_txt_path(dir.path(), "Tarvena_Olmisco").string(),
            treno_txt_path(dir.path(), "Tarvena_Olmisco", "IR 4518").string(),
            "-o",
            out.string()};
  }
  std::vector<std::string> with(std::vector<std::string> extra) const {
    std::vector<std::string> all = args;
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
  }
  std::string waiting_line() const {
    return "waiting for another run in " + out.string() + " to finish\n";
  }
  void expect_pinned_binaries() const {
    std::set<std::string> want;
    for (const char* name : testing::pinned_binary_names) {
      want.insert(name);
      EXPECT_EQ(testing::sha256_hex(read_file(out / name)),
                testing::pinned_run_files.at(name))
          << name;
    }
    EXPECT_EQ(names_in(out), want);
  }
};

TEST(compile_lock, pairs_started_together_all_succeed_with_the_pinned_files) {
  build_pair f;
  for (int i = 0; i < 30; ++i) {
    SCOPED_TRACE(i);
    auto first = std::make_unique<started_process>(f.args);
    auto second = std::make_unique<started_process>(f.args);
    for (auto* p : {first.get(), second.get()}) {
      const process_result r = p->wait();
      EXPECT_EQ(r.status, 0) << r.err;
      if (!r.err.empty()) {
        EXPECT_EQ(r.err, f.waiting_line());
      }
    }
    f.expect_pinned_binaries();
  }
}

// A reader (shared) or another writer (exclusive) keeps the folder for
// longer than the wait: the run gives up, writes nothing and says why.
TEST(compile_lock, gives_up_after_its_wait_with_status_75) {
  for (lock_mode held_as : {lock_mode::shared, lock_mode::exclusive}) {
    SCOPED_TRACE(static_cast<int>(held_as));
    build_pair f;
    lock_result holder = lock_folder(f.out, {.mode = held_as, .wait = 0ms});
    ASSERT_EQ(holder.outcome, lock_outcome::held) << holder.message;
    const auto start = std::chrono::steady_clock::now();
    const process_result r = testing::run_program(f.with({"--wait", "0.3"}));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.status, 75);
    EXPECT_EQ(r.err, f.waiting_line() + "error: " + f.out.string() +
                         " is still in use by another run after 0.3 s; try "
                         "again later\n");
    EXPECT_GE(took, 300ms);
    EXPECT_TRUE(names_in(f.out).empty());
  }
}

TEST(compile_lock, runs_once_the_holder_lets_go) {
  build_pair f;
  lock_result holder = lock_folder(f.out, {.mode = lock_mode::shared});
  ASSERT_EQ(holder.outcome, lock_outcome::held) << holder.message;
  started_process run(f.with({"--wait", "20"}));
  // Until the run says it waits: a program may take a while to start.
  for (int i = 0; i < 400 && run.err_so_far().empty(); ++i) {
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_TRUE(names_in(f.out).empty());
  holder.lock.release();
  const process_result r = run.wait();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, f.waiting_line());
  f.expect_pinned_binaries();
}

// Files a killed compile left half-written are cleared by the next one that
// holds the folder; other files stay.
TEST(compile_lock, temporaries_of_a_killed_run_are_cleared) {
  build_pair f;
  testing::write_file(f.out / ".Tarvena_Olmisco_IR 4518.dat.tmp.4242.0",
                      "half");
  testing::write_file(f.out / ".Tarvena_Olmisco_linea.dat.tmp.4242.1", "half");
  testing::write_file(f.out / ".notes.tmp.1.0", "the author's");
  const process_result r = testing::run_program(f.args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(f.out / ".notes.tmp.1.0"), "the author's");
  std::filesystem::remove(f.out / ".notes.tmp.1.0");
  f.expect_pinned_binaries();
}

TEST(compile_lock, wait_must_be_a_number_of_seconds) {
  build_pair f;
  for (const char* bad : {"-1", "nan", "inf", "soon", "2000000", ""}) {
    SCOPED_TRACE(bad);
    const process_result r = testing::run_program(f.with({"--wait", bad}));
    EXPECT_EQ(r.status, 64);
    EXPECT_NE(r.err.find("--wait"), std::string::npos) << r.err;
  }
  // Zero tries once: with the folder free, the run goes ahead.
  const process_result r = testing::run_program(f.with({"--wait", "0"}));
  EXPECT_EQ(r.status, 0) << r.err;
  f.expect_pinned_binaries();
}

}  // namespace
}  // namespace scenario
