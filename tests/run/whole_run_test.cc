// The whole run, end to end: in-process through run_scenario, and as the
// program itself started in an empty folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "run/run.h"
#include "run/window.h"
#include "testing/process.h"
#include "testing/sha256.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::temp_dir;
using testing::write_file;

// The six files a run leaves, with the SHA-256 of their bytes. Taken once the
// content was reviewed and the decoded plan, entries and cells were read
// value by value; any change to the content, the compiler or a layout shows
// here first.
const std::map<std::string, std::string> expected_files = {
    {"Tarvena_Olmisco_IR 4518_note.txt",
     "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"Tarvena_Olmisco_IR 4518_rallentamenti.txt",
     "624533115edc35d5e811ca3f00be3ec81cde3377def7c54a89d2a64c4f82597f"},
    {"Tarvena_Olmisco_IR 4518_scheda_treno.txt",
     "463c9d99d5a7f07ee54feb894ecf021dc1cc5e950c73e88462a98f0e00c4ec1a"},
    {"Tarvena_Olmisco_linea.dat",
     "083a26a8f797ff99f03d47c9d5cb8d85a2e9cce7fbdbe3ef65f0779faca708db"},
    {"Tarvena_Olmisco_IR 4518.sim",
     "7f545c8efa55508841335a87fb240338126be4f560a5a831ba3dd52dd69d49a8"},
    {"Tarvena_Olmisco_IR 4518.dat",
     "3361b6ac53f4203178499811dd258b4ed8b9feee78c7a3478c80e7eceb7726e1"},
};

std::set<std::string> names_in(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    names.insert(e.path().filename().string());
  }
  return names;
}

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
  EXPECT_EQ(run_scenario(dir.path(), *ui, err), exit_clean);
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
  EXPECT_EQ(run_scenario(dir.path(), *ui, err), exit_clean);
  EXPECT_EQ(names_in(dir.path()), expected_names());
  expect_pinned_files(dir.path());
}

TEST(whole_run, missing_folder_is_a_file_system_failure) {
  temp_dir dir;
  auto ui = make_console_window();
  std::ostringstream err;
  EXPECT_EQ(run_scenario(dir / "gone", *ui, err), exit_file_system);
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
