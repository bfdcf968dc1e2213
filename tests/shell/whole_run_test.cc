// The whole run, end to end: in-process through run_scenario, and as the
// program itself started in an empty folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "shell/run.h"
#include "shell/window.h"
#include "testing/pinned_files.h"
#include "testing/process.h"
#include "testing/sha256.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::names_in;
using testing::read_file;
using testing::temp_dir;
using testing::write_file;

const auto& expected_files = testing::pinned_run_files;

std::set<std::string> expected_names() {
  std::set<std::string> names;
  for (const auto& [name, hash] : expected_files) names.insert(name);
  return names;
}

void expect_pinned_files(const std::filesystem::path& dir) {
  for (const auto& [name, hash] : expected_files) {
    EXPECT_EQ(testing::sha256_hex(read_file(dir / name)), hash) << name;
  }
}

TEST(whole_run, empty_folder_gets_exactly_the_six_pinned_files) {
  temp_dir dir;
  auto ui = make_console_window();
  std::ostringstream err;
  EXPECT_EQ(run_scenario(dir.path(), *ui, err, translator()), exit_clean);
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(names_in(dir.path()), expected_names());
  expect_pinned_files(dir.path());
}

TEST(whole_run, second_run_over_longer_files_leaves_the_same_bytes) {
  temp_dir dir;
  for (const auto& [name, hash] : expected_files) {
    write_file(dir / name, std::string(3000000, 'x'));
  }
  write_file(dir / "Tarvena_Olmisco_linea.txt", std::string(100000, 'y'));
  auto ui = make_console_window();
  std::ostringstream err;
  EXPECT_EQ(run_scenario(dir.path(), *ui, err, translator()), exit_clean);
  EXPECT_EQ(names_in(dir.path()), expected_names());
  expect_pinned_files(dir.path());
}

TEST(whole_run, missing_folder_is_a_file_system_failure) {
  temp_dir dir;
  auto ui = make_console_window();
  std::ostringstream err;
  EXPECT_EQ(run_scenario(dir / "gone", *ui, err, translator()),
            exit_file_system);
  EXPECT_EQ(err.str(),
            "error: cannot write " +
                (dir / "gone" / "Tarvena_Olmisco_linea.txt").string() +
                ": No such file or directory\n");
}

// The program works in its own folder, wherever it is started from.
TEST(scenario_builder, console_run_in_an_empty_folder) {
  temp_dir dir;
  const auto program = dir / "scenario_builder";
  std::filesystem::copy_file(SCENARIO_BUILDER_PATH, program);
  const testing::process_result r =
      testing::run_program({program.string()}, /*without_display=*/true);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "Attendere\n");
  EXPECT_EQ(r.out, "");
  std::set<std::string> want = expected_names();
  want.insert("scenario_builder");
  EXPECT_EQ(names_in(dir.path()), want);
  expect_pinned_files(dir.path());
}

TEST(scenario_builder, window_run_in_an_empty_folder) {
  if (getenv("DISPLAY") == nullptr || *getenv("DISPLAY") == '\0') {
    GTEST_SKIP() << "DISPLAY is not set: run the tests under xvfb-run -a";
  }
  // The program ships with its window module beside it.
  temp_dir dir;
  const auto program = dir / "scenario_builder";
  const std::filesystem::path built = SCENARIO_BUILDER_PATH;
  std::filesystem::copy_file(built, program);
  std::filesystem::copy_file(built.parent_path() / window_module,
                             dir / window_module);
  const testing::process_result r =
      testing::run_program({program.string()}, /*without_display=*/false);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");  // the label is in the window, not on the console
  expect_pinned_files(dir.path());
}

TEST(scenario_builder, without_its_window_module_falls_back_to_the_console) {
  if (getenv("DISPLAY") == nullptr || *getenv("DISPLAY") == '\0') {
    GTEST_SKIP() << "DISPLAY is not set: run the tests under xvfb-run -a";
  }
  temp_dir dir;
  const auto program = dir / "scenario_builder";
  std::filesystem::copy_file(SCENARIO_BUILDER_PATH, program);
  const testing::process_result r =
      testing::run_program({program.string()}, /*without_display=*/false);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.rfind("warning: no window (", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("libscenario_window.so"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.substr(r.err.size() - 10), "Attendere\n");
  expect_pinned_files(dir.path());
}

}  // namespace
}  // namespace scenario
