// The command line as UTF-8 text on every system, and the paths it names.
// POSIX hands a program its arguments as the bytes that name files, used as
// they stand. Windows hands them in its 8-bit code page, where most names
// cannot be written: there they are read wide from the system and kept as
// UTF-8, and a path is made from that UTF-8 again.
#ifndef SCENARIO_SHELL_ARGUMENTS_H_
#define SCENARIO_SHELL_ARGUMENTS_H_

#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// windows.h comes first.
#include <shellapi.h>

#include "model/utf16_windows.h"
#endif

namespace scenario {

class utf8_arguments {
 public:
  utf8_arguments(int argc, char** argv) {
#ifdef _WIN32
    (void)argv;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 0; i < argc; ++i) strings_.push_back(utf8_from_wide(wide[i]));
    LocalFree(wide);
#else
    strings_.assign(argv, argv + argc);
#endif
    for (std::string& s : strings_) pointers_.push_back(s.data());
    pointers_.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(strings_.size()); }
  char** argv() { return pointers_.data(); }

 private:
  std::vector<std::string> strings_;
  std::vector<char*> pointers_;
};

// The path an argument names.
inline std::filesystem::path path_argument(const std::string& text) {
#ifdef _WIN32
  return std::filesystem::path(wide_from_utf8(text));
#else
  return std::filesystem::path(text);
#endif
}

}  // namespace scenario

#endif  // SCENARIO_SHELL_ARGUMENTS_H_
