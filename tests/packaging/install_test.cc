// The programs as `cmake --install` lays them out under a prefix: bin/, the
// window module in a private library folder found through the run path, the
// manual pages, the completion and the package's documents; the installed
// programs run from there, and the installed builder writes where an author
// starts it, never into bin/.
#include <gtest/gtest.h>

// The build passes these only where the install rules exist.
#if defined(SCENARIO_BUILD_DIR) && defined(SCENARIO_CMAKE_COMMAND)

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <string>

#include "shell/run.h"
#include "shell/window.h"
#include "sources/sources.h"
#include "testing/pinned_files.h"
#include "testing/process.h"
#include "testing/sha256.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using testing::names_in;
using testing::process_result;
using testing::temp_dir;

class installed : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    prefix_ = new temp_dir;
    install_ = new process_result(testing::run_program(
        {SCENARIO_CMAKE_COMMAND, "--install", SCENARIO_BUILD_DIR, "--prefix",
         prefix_->path().string()}));
  }
  static void TearDownTestSuite() {
    delete install_;
    delete prefix_;
  }
  void SetUp() override {
    ASSERT_EQ(install_->status, 0) << install_->out << install_->err;
  }

  static fs::path prefix() { return prefix_->path(); }
  static std::string bin(const char* program) {
    return (prefix() / "bin" / program).string();
  }

  static void expect_pinned_files(const fs::path& dir) {
    std::set<std::string> want;
    for (const auto& [name, hash] : testing::pinned_run_files) {
      want.insert(name);
      EXPECT_EQ(testing::sha256_hex(testing::read_file(dir / name)), hash)
          << name;
    }
    EXPECT_EQ(names_in(dir), want);
  }

  static void expect_bin_untouched() {
    EXPECT_EQ(names_in(prefix() / "bin"),
              (std::set<std::string>{"scenario", "scenario_builder"}));
  }

 private:
  static temp_dir* prefix_;
  static process_result* install_;
};

temp_dir* installed::prefix_ = nullptr;
process_result* installed::install_ = nullptr;

TEST_F(installed, lays_out_programs_module_pages_completion_and_documents) {
  for (const char* file : {
           "bin/scenario",
           "bin/scenario_builder",
           "share/man/man1/scenario.1.gz",
           "share/man/man1/scenario-check.1.gz",
           "share/man/man1/scenario-compile.1.gz",
           "share/man/man1/scenario_builder.1.gz",
           "share/man/it/man1/scenario.1.gz",
           "share/man/it/man1/scenario-check.1.gz",
           "share/man/it/man1/scenario_builder.1.gz",
           "share/bash-completion/completions/scenario",
           "share/doc/scenario-builder/copyright",
           "share/doc/scenario-builder/changelog.gz",
           "share/scenario-builder/scenario-" SCENARIO_VERSION ".vsix",
       }) {
    EXPECT_TRUE(fs::is_regular_file(prefix() / file)) << file;
  }
  // The module lies in the folder the program looks in, a private folder
  // of the package.
  const fs::path module_dir = prefix() / "bin" / installed_module_dir();
  EXPECT_TRUE(fs::is_regular_file(module_dir / window_module));
  EXPECT_EQ(module_dir.lexically_normal().filename(), "scenario-builder");
  EXPECT_EQ(names_in(module_dir), std::set<std::string>{window_module});
  // Nothing beside the programs but the programs.
  expect_bin_untouched();
}

TEST_F(installed, both_programs_print_one_version_line) {
  for (const char* program : {"scenario", "scenario_builder"}) {
    const process_result r = testing::run_program({bin(program), "--version"});
    EXPECT_EQ(r.status, 0) << program;
    EXPECT_EQ(r.err, "") << program;
    const std::regex line(std::string(program) + " " + SCENARIO_VERSION +
                          R"( \(commit ([0-9a-f]{7,40}(-dirty)?|unknown)\)\n)");
    EXPECT_TRUE(std::regex_match(r.out, line)) << r.out;
  }
}

TEST_F(installed, scenario_checks_the_builds_own_pair) {
  temp_dir dir;
  file_failure failure;
  ASSERT_TRUE(dati_linea(dir.path(), build_percorso, &failure));
  ASSERT_TRUE(dati_treno(dir.path(), build_percorso, build_treno, &failure));
  const process_result r = testing::run_program(
      {bin("scenario"), "check", "--format", "json",
       linea_txt_path(dir.path(), build_percorso).string(),
       treno_txt_path(dir.path(), build_percorso, build_treno).string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"errors\": 0"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"warnings\": 5"), std::string::npos) << r.out;
}

// Started in an author's folder without a display, the installed builder
// writes the six files there and nothing beside itself.
TEST_F(installed, builder_writes_into_the_folder_it_is_started_in) {
  temp_dir dir;
  const process_result r = testing::run_program(
      {bin("scenario_builder")},
      {.without_display = true, .working_directory = dir.path().string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "Attendere\n");
  expect_pinned_files(dir.path());
  expect_bin_untouched();
}

TEST_F(installed, builder_writes_into_the_folder_it_is_given) {
  temp_dir dir;
  const fs::path named = dir / "scenarios" / "tarvena";  // created
  const process_result r = testing::run_program(
      {bin("scenario_builder"), named.string()},
      {.without_display = true, .working_directory = dir.path().string()});
  EXPECT_EQ(r.status, 0) << r.err;
  expect_pinned_files(named);
  EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"scenarios"});
  expect_bin_untouched();
}

// The module is not beside the program: the window opens only when the
// loader finds it through the program's run path.
TEST_F(installed, builder_finds_its_window_module_through_its_run_path) {
  if (getenv("DISPLAY") == nullptr || *getenv("DISPLAY") == '\0') {
    GTEST_SKIP() << "DISPLAY is not set: run the tests under xvfb-run -a";
  }
  temp_dir dir;
  const process_result r =
      testing::run_program({bin("scenario_builder"), dir.path().string()},
                           {.without_display = false});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");  // no "warning: no window", no console "Attendere"
  expect_pinned_files(dir.path());
}

}  // namespace
}  // namespace scenario

#endif
