// scenario_builder's command line: the folder it writes into (its own
// directory, the current one once installed, or the one named), --help,
// --version and bad arguments.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "shell/run.h"
#include "shell/window.h"
#include "testing/pinned_files.h"
#include "testing/process.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using testing::names_in;
using testing::process_result;
using testing::temp_dir;
using testing::write_file;

std::set<std::string> pinned_names() {
  std::set<std::string> names;
  for (const auto& [name, hash] : testing::pinned_run_files) names.insert(name);
  return names;
}

// Where the module lies tells where the program was put: beside it or
// nowhere (built or copied), or in the installed layout.
TEST(default_output_directory, follows_the_layout_the_program_is_in) {
  struct layout {
    const char* name;
    bool module_beside;
    bool module_installed;
    bool writes_where_started;
  };
  for (const layout& l : {
           layout{"alone", false, false, false},
           layout{"module beside", true, false, false},
           layout{"installed", false, true, true},
       }) {
    temp_dir root;
    const fs::path bin = root / "bin";
    fs::create_directories(bin);
    if (l.module_beside) write_file(bin / window_module, "");
    if (l.module_installed) {
      const fs::path dir = bin / installed_module_dir();
      fs::create_directories(dir);
      write_file(dir / window_module, "");
    }
    const fs::path want = l.writes_where_started ? fs::current_path() : bin;
    EXPECT_EQ(default_output_directory(bin), want) << l.name;
  }
}

// A folder where the module's name is a folder is no installed layout.
TEST(default_output_directory, a_folder_in_the_modules_place_is_no_module) {
  temp_dir root;
  const fs::path bin = root / "bin";
  fs::create_directories(bin / installed_module_dir() / window_module);
  EXPECT_EQ(default_output_directory(bin), bin);
}

process_result builder(const std::vector<std::string>& args,
                       const std::string& working_directory) {
  std::vector<std::string> argv = {SCENARIO_BUILDER_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return testing::run_program(
      argv, {.without_display = true, .working_directory = working_directory});
}

TEST(builder_command_line, a_named_folder_gets_the_files_and_is_created) {
  temp_dir dir;
  for (const fs::path& named : {dir / "existing", dir / "new" / "nested"}) {
    if (named.filename() == "existing") fs::create_directory(named);
    const process_result r = builder({named.string()}, dir.path().string());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Attendere\n");
    EXPECT_EQ(names_in(named), pinned_names()) << named;
  }
  // A relative name is taken from the folder the program starts in.
  const process_result r = builder({"relative"}, dir.path().string());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(names_in(dir / "relative"), pinned_names());
}

TEST(builder_command_line, a_folder_that_cannot_be_made_is_status_4) {
  temp_dir dir;
  write_file(dir / "file", "x");
  const fs::path named = dir / "file" / "sub";
  const process_result r = builder({named.string()}, dir.path().string());
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err.rfind("error: cannot create " + named.string() + ": ", 0), 0u)
      << r.err;
  EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"file"});
}

TEST(builder_command_line, help_version_and_bad_arguments) {
  temp_dir dir;
  struct call {
    std::vector<std::string> args;
    int status;
    const char* out_starts;  // standard output starts with this
    const char* err_starts;  // standard error starts with this
  };
  for (const call& c : {
           call{{"--help"},
                0,
                "Builds the scenario this program carries.\n",
                ""},
           call{{"--version"}, 0, "scenario_builder 1.", ""},
           call{{"--bogus"}, 64, "", "scenario_builder: "},
           call{{"a", "b"}, 64, "", "scenario_builder: "},
       }) {
    const process_result r = builder(c.args, dir.path().string());
    EXPECT_EQ(r.status, c.status) << c.args[0];
    EXPECT_EQ(r.out.rfind(c.out_starts, 0), 0u) << c.args[0] << ": " << r.out;
    EXPECT_EQ(r.err.rfind(c.err_starts, 0), 0u) << c.args[0] << ": " << r.err;
    if (c.status == 64) {
      EXPECT_EQ(r.out, "") << c.args[0];
    }
  }
  // Nothing ran: no file anywhere.
  EXPECT_TRUE(names_in(dir.path()).empty());
}

// The loader never looks in the folder the program is started in: a module
// lying there is not the program's.
TEST(builder_command_line, a_module_in_the_starting_folder_is_not_loaded) {
  if (getenv("DISPLAY") == nullptr || *getenv("DISPLAY") == '\0') {
    GTEST_SKIP() << "DISPLAY is not set: run the tests under xvfb-run -a";
  }
  temp_dir program_dir;
  temp_dir start;
  const fs::path built = SCENARIO_BUILDER_PATH;
  fs::copy_file(built, program_dir / "scenario_builder");
  fs::copy_file(built.parent_path() / window_module, start / window_module);
  const process_result r = testing::run_program(
      {(program_dir / "scenario_builder").string()},
      {.without_display = false, .working_directory = start.path().string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.rfind("warning: no window (", 0), 0u) << r.err;
  EXPECT_EQ(names_in(program_dir.path()).size(), 7u);  // wrote beside itself
}

}  // namespace
}  // namespace scenario
