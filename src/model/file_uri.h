// The one way between file paths and file URIs, for every output that
// writes a URI (the language server, SARIF): paths are UTF-8 text, and a
// Windows path ("C:\Città\a.txt") is the URI file:///C:/Citt%C3%A0/a.txt.
// Both styles are served on every system, so that each can be tested.
#ifndef SCENARIO_MODEL_FILE_URI_H_
#define SCENARIO_MODEL_FILE_URI_H_

#include <filesystem>
#include <string>
#include <string_view>

namespace scenario {

enum class path_style { posix, windows };

#ifdef _WIN32
inline constexpr path_style native_path_style = path_style::windows;
#else
inline constexpr path_style native_path_style = path_style::posix;
#endif

// The path a file URI names, as UTF-8 text; empty for another scheme.
// Percent escapes are decoded once. Windows: "file:///C:/a/b" and
// "file:///c%3A/a/b" are "C:\a\b" (the drive letter as written), and
// "file://host/share/a" is "\\host\share\a". POSIX: the host is dropped.
std::string path_of_uri(std::string_view uri,
                        path_style style = native_path_style);

// The URI of a UTF-8 path: an absolute path is a file URI, a relative one a
// relative reference. Every byte but letters, digits, "-._~" and the
// separators is percent-encoded; Windows separators '\' become '/', and a
// drive path's colon stays, as editors write it.
std::string uri_of_path(std::string_view path,
                        path_style style = native_path_style);

// A path and its UTF-8 text, without the system's 8-bit code page that the
// narrow forms of std::filesystem::path go through on Windows.
std::filesystem::path path_of_utf8(std::string_view text);
std::string utf8_of_path(const std::filesystem::path& p);

}  // namespace scenario

#endif  // SCENARIO_MODEL_FILE_URI_H_
