// The programs' text on a Windows console: the characters as written, not
// UTF-8 bytes read in the console's code page; a pipe gets UTF-8.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "checking/faulty_pair.h"
#include "model/utf16_windows.h"
#include "testing/process.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::process_result;
using testing::temp_dir;
using testing::write_file;

// A console of the test program's own, invisible, that the programs it
// starts write into. The test program's standard handles stay as they were.
class own_console {
 public:
  own_console() {
    const DWORD kinds[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE,
                           STD_ERROR_HANDLE};
    for (int i = 0; i < 3; ++i) saved_[i] = GetStdHandle(kinds[i]);
    FreeConsole();
    made_ = AllocConsole() != 0;
    for (int i = 0; i < 3; ++i) SetStdHandle(kinds[i], saved_[i]);
  }
  ~own_console() {
    if (made_) FreeConsole();
  }
  bool made() const { return made_; }

  // Every character on the console's screen, row after row, as UTF-8.
  std::string screen() const {
    const HANDLE h = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    std::wstring text;
    if (h != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(h, &info)) {
      text.resize(static_cast<size_t>(info.dwSize.X) *
                  static_cast<size_t>(info.dwSize.Y));
      DWORD read = 0;
      ReadConsoleOutputCharacterW(
          h, text.data(), static_cast<DWORD>(text.size()), {0, 0}, &read);
      text.resize(read);
    }
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return utf8_from_wide(text);
  }

 private:
  HANDLE saved_[3] = {};
  bool made_ = false;
};

TEST(console,
     italian_findings_show_their_accents_on_a_console_and_utf8_in_a_pipe) {
  temp_dir dir;
  const std::string line = (dir / "line.txt").string();
  const std::string train = (dir / "train.txt").string();
  write_file(line, testing::faulty_line);
  write_file(train, testing::faulty_train);
  const std::vector<std::string> check = {SCENARIO_TOOL_PATH, "check", line,
                                          train};
  const std::vector<std::string> italian = {"LANGUAGE", "LC_ALL", "LC_MESSAGES",
                                            "LANG=it_IT.UTF-8"};
  // "è" of error 3's text.
  const std::string accented = "non \xC3\xA8 multiplo di 50";

  const process_result piped =
      testing::run_program(check, {.environment = italian});
  EXPECT_EQ(piped.status, 1);
  EXPECT_NE(piped.err.find(accented), std::string::npos) << piped.err;

  own_console console;
  ASSERT_TRUE(console.made());
  const process_result shown =
      testing::run_program(check, {.environment = italian, .on_console = true});
  EXPECT_EQ(shown.status, 1);
  const std::string screen = console.screen();
  EXPECT_NE(screen.find(accented), std::string::npos) << screen;
  // No byte of a character shown as a character of its own ("Ã¨").
  EXPECT_EQ(screen.find("\xC3\x83"), std::string::npos) << screen;
}

}  // namespace
}  // namespace scenario
