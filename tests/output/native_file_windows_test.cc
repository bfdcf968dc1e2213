// The Windows forms of the file-system calls, through the programs: a
// folder whose name is not ASCII, a folder the user may not write to, and
// the folder lock's file, which is there only while the folder is held.
#include <windows.h>
// windows.h comes first.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "output/folder_lock.h"
#include "output/native_file.h"
#include "sources/sources.h"
#include "testing/pinned_files.h"
#include "testing/process.h"
#include "testing/sha256.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::process_result;
using testing::read_file;
using testing::temp_dir;

// Name and content of every file in `dir`, the lock's file included.
std::map<std::string, std::string> contents_of(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir)) {
    files[e.path().filename().string()] =
        e.is_directory() ? "(folder)" : read_file(e.path());
  }
  return files;
}

// The builder copied into `dir`, as a user unpacks it.
fs::path builder_in(const fs::path& dir) {
  fs::create_directories(dir);
  const fs::path program = dir / "scenario_builder.exe";
  fs::copy_file(SCENARIO_BUILDER_PATH, program);
  return program;
}

void expect_pinned_run(const fs::path& dir) {
  std::set<std::string> want = {"scenario_builder.exe"};
  for (const auto& [name, hash] : testing::pinned_run_files) {
    want.insert(name);
    EXPECT_EQ(testing::sha256_hex(read_file(dir / name)), hash) << name;
  }
  EXPECT_EQ(testing::names_in(dir), want);
  EXPECT_FALSE(fs::exists(dir / native::folder_lock_file));
}

TEST(windows_files, folders_named_beyond_ascii_get_the_pinned_files) {
  temp_dir base;
  // "Città", and a name no 8-bit code page holds whole.
  for (const char* name : {"Citt\xc3\xa0",
                           "\xce\x93\xcf\x81\xce\xb1\xce\xbc"
                           "\xce\xbc\xce\xae \xe7\xb7\x9a"}) {
    SCOPED_TRACE(name);
    const fs::path dir =
        base.path() /
        fs::path(std::u8string(reinterpret_cast<const char8_t*>(name)));
    const process_result r = testing::run_program({builder_in(dir).string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Attendere\n");
    expect_pinned_run(dir);
  }
}

TEST(windows_files, compile_takes_its_paths_wide) {
  temp_dir base;
  const fs::path dir = base.path() / fs::path(u8"Citt\u00e0");
  fs::create_directories(dir);
  fs::path linea = linea_txt_path(dir, "Tarvena_Olmisco");
  fs::path treno = treno_txt_path(dir, "Tarvena_Olmisco", "IR 4518");
  file_failure failure;
  ASSERT_TRUE(dati_linea(dir, "Tarvena_Olmisco", &failure))
      << failure.message();
  ASSERT_TRUE(dati_treno(dir, "Tarvena_Olmisco", "IR 4518", &failure))
      << failure.message();
  const fs::path out = dir / fs::path(u8"usc\u00ecta");
  const process_result r =
      testing::run_program({SCENARIO_TOOL_PATH, "compile", linea.string(),
                            treno.string(), "-o", out.string()});
  EXPECT_EQ(r.status, 0) << r.err;
  for (const char* name : testing::pinned_binary_names) {
    EXPECT_EQ(testing::sha256_hex(read_file(out / name)),
              testing::pinned_run_files.at(name))
        << name;
  }

  // The check names the file as a URI with its drive, in UTF-8.
  const process_result sarif =
      testing::run_program({SCENARIO_TOOL_PATH, "check", "--format", "sarif",
                            linea.string(), (dir / "missing.txt").string()});
  EXPECT_EQ(sarif.status, 1);
  std::string want_uri = "file:///" + (dir / "missing.txt").string();
  for (char& c : want_uri) c = c == '\\' ? '/' : c;
  const size_t at = want_uri.find("Citt\xc3\xa0");
  ASSERT_NE(at, std::string::npos);
  want_uri.replace(at, 6, "Citt%C3%A0");
  EXPECT_NE(sarif.out.find("\"uri\": \"" + want_uri + "\""), std::string::npos)
      << sarif.out;
}

// A folder the user may not write to, holding the six files of an earlier
// run and the builder: Wine keeps a folder's read-only attribute to itself,
// as Windows does, so scripts/test makes one on the host and names it in
// SCENARIO_READ_ONLY_DIR, with Wine running as an unprivileged user.
TEST(windows_files, a_folder_the_user_may_not_write_to_keeps_its_files) {
  const char* named = std::getenv("SCENARIO_READ_ONLY_DIR");
  if (named == nullptr || *named == '\0') {
    GTEST_SKIP() << "SCENARIO_READ_ONLY_DIR names no read-only folder "
                    "(tests/windows/run_tests.sh makes one)";
  }
  const fs::path dir = named;
  const auto before = contents_of(dir);
  ASSERT_EQ(before.size(), 7u);  // the builder and its six files
  native::failure why;
  ASSERT_EQ(native::create_new(dir / "probe", &why), native::no_file)
      << "the folder takes new files";
  const process_result r =
      testing::run_program({(dir / "scenario_builder.exe").string()});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err,
            "error: cannot lock " + dir.string() + ": Permission denied\n");
  EXPECT_EQ(contents_of(dir), before);
}

// The lock's file stands in the folder while someone holds it, the waiting
// run says so once, and the file is gone when the last holder lets go, even
// when that holder was killed while it waited.
TEST(windows_files, the_lock_file_lives_only_while_the_folder_is_held) {
  temp_dir base;
  const fs::path dir = base.path() / "held";
  const fs::path program = builder_in(dir);
  const fs::path lock_file = dir / native::folder_lock_file;

  lock_result held = lock_folder(dir, {.wait = 0ms});
  ASSERT_EQ(held.outcome, lock_outcome::held) << held.message;
  EXPECT_TRUE(fs::exists(lock_file));
  const std::string waiting_line =
      "waiting for another run in " + dir.string() + " to finish\n";
  const auto until_waiting = [&](const testing::started_process& p) {
    for (int i = 0; i < 400 && p.err_so_far().empty(); ++i) {
      std::this_thread::sleep_for(50ms);
    }
    EXPECT_EQ(p.err_so_far(), waiting_line);
  };
  {
    testing::started_process doomed({program.string()});
    until_waiting(doomed);
    doomed.send(9);
    EXPECT_NE(doomed.wait().status, 0);
  }
  testing::started_process waiting({program.string()});
  until_waiting(waiting);
  EXPECT_EQ(testing::names_in(dir),
            std::set<std::string>{"scenario_builder.exe"});
  held.lock.release();
  const process_result r = waiting.wait();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, waiting_line + "Attendere\n");
  expect_pinned_run(dir);
}

}  // namespace
}  // namespace scenario
