// The last line of defence: an exception that escapes a program's work
// gives status 70 and one line on standard error, after the stack unwound,
// so that the folder is left as it was.
#include "shell/last_resort.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include "output/replace_file.h"
#include "shell/run.h"
#include "shell/window.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::temp_dir;

TEST(run_guarded, an_escaping_exception_is_one_line_and_status_70) {
  const struct {
    std::function<int()> work;
    int status;
    std::string err;
  } cases[] = {
      {[] { return 3; }, 3, ""},
      {[]() -> int { throw std::runtime_error("cell 9 of 4\r\nagain"); }, 70,
       "scenario: internal error: cell 9 of 4  again\n"},
      {[]() -> int { throw std::string("not an exception class"); }, 70,
       "scenario: internal error: an exception of unknown type\n"},
  };
  for (const auto& c : cases) {
    std::ostringstream err;
    EXPECT_EQ(run_guarded("scenario", err, c.work), c.status);
    EXPECT_EQ(err.str(), c.err);
  }
}

// The builder's window, failing when the run starts.
class failing_window : public window {
 public:
  void show_waiting() override { throw std::logic_error("injected"); }
  void errore(std::string_view) override {}
};

std::map<std::string, std::string> contents_of(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir)) {
    files[e.path().filename().string()] = read_file(e.path());
  }
  return files;
}

// A folder after one clean run of the builder, then a run through the
// builder's guard that an exception ends: before anything was written, or
// while an output's replacement is half written. Either way: status 70, the
// message, every earlier output as it was, no temporary file, and the
// folder free for the next run.
TEST(run_guarded, the_folder_is_left_as_it_was) {
  temp_dir dir;
  const auto outputs = run_outputs(dir.path(), build_percorso, build_treno);
  std::ostringstream first;
  auto console = make_console_window();
  ASSERT_EQ(with_folder_locked(
                dir.path(), default_folder_wait, first, outputs,
                [&] {
                  return run_scenario(dir.path(), *console, first,
                                      translator());
                },
                translator()),
            0)
      << first.str();
  const auto before = contents_of(dir.path());

  failing_window failing;
  const std::function<int()> faults[] = {
      [&] { return run_scenario(dir.path(), failing, first, translator()); },
      [&]() -> int {
        replacement_file half(outputs.back());
        half.put(std::string(3 * replacement_file::buffer_bytes, 'x'));
        throw std::runtime_error("injected");
      },
  };
  for (const auto& fault : faults) {
    std::ostringstream err;
    EXPECT_EQ(run_guarded("scenario_builder", err,
                          [&] {
                            return with_folder_locked(
                                dir.path(), default_folder_wait, err, outputs,
                                fault, translator());
                          }),
              exit_software);
    EXPECT_EQ(err.str(), "scenario_builder: internal error: injected\n");
    EXPECT_EQ(contents_of(dir.path()), before);
  }

  std::ostringstream again;
  EXPECT_EQ(with_folder_locked(
                dir.path(), std::chrono::seconds(0), again, outputs,
                [&] {
                  return run_scenario(dir.path(), *console, again,
                                      translator());
                },
                translator()),
            0)
      << again.str();
}

}  // namespace
}  // namespace scenario
