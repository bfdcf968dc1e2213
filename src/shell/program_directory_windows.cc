#include <windows.h>

#include <string>

#include "shell/run.h"

namespace scenario {

// The program's full path as the system holds it, in UTF-16, so that a
// folder of any name works.
std::filesystem::path program_directory() {
  std::wstring exe(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    if (n == 0) return std::filesystem::current_path();
    if (n < exe.size()) {
      exe.resize(n);
      break;
    }
    exe.resize(exe.size() * 2);  // truncated: a longer path
  }
  return std::filesystem::path(exe).parent_path();
}

}  // namespace scenario
