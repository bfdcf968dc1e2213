#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>

#include "model/utf16_windows.h"
#include "shell/console.h"

namespace scenario {
namespace {

// A console shows characters, not bytes in its code page: the UTF-8 the
// programs write goes to it as UTF-16, so that "Città" shows as written
// whatever the console's code page. A character cut between two writes
// waits for its last bytes.
class console_buffer : public std::streambuf {
 public:
  explicit console_buffer(HANDLE console) : console_(console) {
    setp(buffer_, buffer_ + sizeof buffer_);
  }

 protected:
  int_type overflow(int_type c) override {
    if (sync() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  int sync() override {
    pending_.append(pbase(), static_cast<size_t>(pptr() - pbase()));
    setp(buffer_, buffer_ + sizeof buffer_);
    const size_t whole = complete_prefix(pending_);
    const std::wstring wide = wide_from_utf8(pending_.substr(0, whole));
    pending_.erase(0, whole);
    DWORD written = 0;
    for (size_t at = 0; at < wide.size(); at += written) {
      if (!WriteConsoleW(console_, wide.data() + at,
                         static_cast<DWORD>(wide.size() - at), &written,
                         nullptr) ||
          written == 0) {
        return -1;
      }
    }
    return 0;
  }

 private:
  // How many bytes of `s` end on a whole UTF-8 character.
  static size_t complete_prefix(const std::string& s) {
    size_t start = s.size();
    for (size_t back = 1; back <= 3 && back <= s.size(); ++back) {
      const auto b = static_cast<unsigned char>(s[s.size() - back]);
      if ((b & 0xC0) != 0x80) {
        start = s.size() - back;
        break;
      }
    }
    if (start == s.size()) return s.size();
    const auto lead = static_cast<unsigned char>(s[start]);
    const size_t length = lead >= 0xF0   ? 4
                          : lead >= 0xE0 ? 3
                          : lead >= 0xC0 ? 2
                                         : 1;
    return s.size() - start < length ? start : s.size();
  }

  HANDLE console_;
  char buffer_[4096];
  std::string pending_;
};

// The console behind a standard handle; null when it is a file or a pipe.
HANDLE console_of(DWORD standard) {
  const HANDLE h = GetStdHandle(standard);
  DWORD mode = 0;
  return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode)
             ? h
             : nullptr;
}

}  // namespace

// Files and pipes get the bytes as written, in UTF-8 as on every system;
// a console gets the characters. The buffers live as long as the process's
// streams, which are flushed after every other object has gone.
void keep_stream_bytes() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  if (const HANDLE out = console_of(STD_OUTPUT_HANDLE)) {
    std::cout.rdbuf(new console_buffer(out));
  }
  if (const HANDLE err = console_of(STD_ERROR_HANDLE)) {
    std::cerr.rdbuf(new console_buffer(err));
    std::clog.rdbuf(std::cerr.rdbuf());
  }
}

}  // namespace scenario
