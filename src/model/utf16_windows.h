// Text at the Windows boundary: the system speaks UTF-16, this program's
// strings are UTF-8 inside. Included by Windows-only files.
#ifndef SCENARIO_MODEL_UTF16_WINDOWS_H_
#define SCENARIO_MODEL_UTF16_WINDOWS_H_

#include <windows.h>

#include <string>
#include <string_view>

namespace scenario {

inline std::string utf8_from_wide(std::wstring_view w) {
  if (w.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()),
                          nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()),
                      s.data(), n, nullptr, nullptr);
  return s;
}

inline std::wstring wide_from_utf8(std::string_view s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(),
                                    static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()),
                      w.data(), n);
  return w;
}

// The system's text for the error code `code`, without its line end.
inline std::string system_message(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring w = n != 0 ? std::wstring(text, n) : std::wstring();
  if (text != nullptr) LocalFree(text);
  while (!w.empty() && (w.back() == L'\n' || w.back() == L'\r' ||
                        w.back() == L' ' || w.back() == L'.')) {
    w.pop_back();
  }
  if (w.empty()) return "system error " + std::to_string(code);
  return utf8_from_wide(w);
}

}  // namespace scenario

#endif  // SCENARIO_MODEL_UTF16_WINDOWS_H_
