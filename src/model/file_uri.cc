#include "model/file_uri.h"

#include <algorithm>
#include <cstdio>

#ifdef _WIN32
#include "model/utf16_windows.h"
#endif

namespace scenario {
namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string percent_decoded(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && hex_value(s[i + 1]) >= 0 &&
        hex_value(s[i + 2]) >= 0) {
      out += static_cast<char>(hex_value(s[i + 1]) * 16 + hex_value(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

bool is_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// "C:" or "C:/..." (after '\' became '/').
bool opens_with_drive(std::string_view p) {
  return p.size() >= 2 && is_letter(p[0]) && p[1] == ':' &&
         (p.size() == 2 || p[2] == '/');
}

}  // namespace

std::string path_of_uri(std::string_view uri, path_style style) {
  constexpr std::string_view scheme = "file://";
  if (uri.size() < scheme.size() ||
      !std::equal(scheme.begin(), scheme.end(), uri.begin(),
                  [](char a, char b) {
                    return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b);
                  })) {
    return {};
  }
  uri.remove_prefix(scheme.size());
  std::string host;
  if (!uri.starts_with("/")) {
    const size_t slash = uri.find('/');
    if (slash == std::string_view::npos) return {};
    host = percent_decoded(uri.substr(0, slash));
    uri.remove_prefix(slash);
  }
  std::string path = percent_decoded(uri);
  if (style == path_style::posix) return path;
  std::string_view p = path;
  if (p.starts_with("/") && opens_with_drive(p.substr(1))) p.remove_prefix(1);
  std::string out;
  if (!host.empty() && host != "localhost") out = "//" + host;
  out += p;
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

std::string uri_of_path(std::string_view path_in, path_style style) {
  std::string path(path_in);
  size_t drive_colon = std::string::npos;
  std::string s;
  if (style == path_style::windows) {
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.starts_with("//")) {
      // A share: \\host\share\a is file://host/share/a.
      s = "file:";
    } else if (opens_with_drive(path)) {
      path.insert(0, "/");
      drive_colon = 2;
    }
  }
  if (s.empty() && path.starts_with("/")) s = "file://";
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    const bool plain = is_letter(static_cast<char>(c)) ||
                       (c >= '0' && c <= '9') || c == '-' || c == '.' ||
                       c == '_' || c == '~' || c == '/' || i == drive_colon;
    if (plain) {
      s += static_cast<char>(c);
    } else {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      s += buf;
    }
  }
  return s;
}

#ifdef _WIN32
std::filesystem::path path_of_utf8(std::string_view text) {
  return std::filesystem::path(wide_from_utf8(text));
}
std::string utf8_of_path(const std::filesystem::path& p) {
  return utf8_from_wide(p.native());
}
#else
std::filesystem::path path_of_utf8(std::string_view text) {
  return std::filesystem::path(text);
}
std::string utf8_of_path(const std::filesystem::path& p) { return p.native(); }
#endif

}  // namespace scenario
