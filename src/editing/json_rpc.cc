#include "editing/json_rpc.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

namespace scenario::editing {
namespace {

constexpr size_t max_header_line = 8192;

// One header line without its CR LF; false at the end of the input.
// An over-long line is cut (and so malformed) but consumed whole.
bool read_header_line(std::istream& in, std::string& line, bool& too_long) {
  line.clear();
  too_long = false;
  int c;
  while ((c = in.get()) != std::char_traits<char>::eof()) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    if (line.size() < max_header_line) {
      line += static_cast<char>(c);
    } else {
      too_long = true;
    }
  }
  return !line.empty();
}

bool equals_nocase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char ch) {
      return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
    };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
    s.remove_suffix(1);
  }
  return s;
}

// What the header lines of one message said.
struct message_header {
  bool ended = false;       // the input ended before the blank line
  bool any_header = false;  // a header line was read
  bool have_length = false;
  size_t length = 0;
  std::string error;  // why the header cannot frame a body
};

// Takes one non-blank header line into `h`: only Content-Length counts.
void take_header_line(std::string& line, bool too_long, message_header& h) {
  // After a message whose body could not be found, the next header may
  // follow what is left of that body on the same line.
  const size_t resync = line.find("Content-Length:");
  if (resync != std::string::npos && resync > 0) {
    line.erase(0, resync);
    h.error.clear();
  }
  const size_t colon = line.find(':');
  if (too_long || colon == std::string::npos) {
    h.error = "a header line is no \"Name: value\"";
    return;
  }
  const std::string_view name = trim(std::string_view(line).substr(0, colon));
  const std::string_view value = trim(std::string_view(line).substr(colon + 1));
  if (!equals_nocase(name, "Content-Length")) return;
  size_t n = 0;
  const auto [end, ec] =
      std::from_chars(value.data(), value.data() + value.size(), n);
  if (ec != std::errc() || end != value.data() + value.size() ||
      value.empty()) {
    h.error = "Content-Length is no number";
  } else if (n > max_body_bytes) {
    h.error = "Content-Length is beyond the largest message";
  } else {
    h.have_length = true;
    h.length = n;
  }
}

// Headers up to the blank line; blank lines before any header are skipped.
message_header read_header(std::istream& in) {
  message_header h;
  std::string line;
  bool too_long = false;
  for (;;) {
    if (!read_header_line(in, line, too_long)) {
      h.ended = true;
      return h;
    }
    if (line.empty()) {
      if (h.any_header) return h;
      continue;
    }
    h.any_header = true;
    take_header_line(line, too_long, h);
  }
}

// Reads `length` bytes as they come, so that a length the input never
// fills costs no memory; false when the input ends first.
bool read_body(std::istream& in, size_t length, std::string& body) {
  constexpr size_t chunk = size_t{1} << 16;
  while (body.size() < length) {
    const size_t want = std::min(chunk, length - body.size());
    const size_t had = body.size();
    body.resize(had + want);
    in.read(body.data() + had, static_cast<std::streamsize>(want));
    if (static_cast<size_t>(in.gcount()) != want) return false;
  }
  return true;
}

}  // namespace

read_message message_reader::next() {
  read_message m;
  const message_header h = read_header(in_);
  if (h.ended) {
    if (h.any_header) {
      m.what = read_message::kind::malformed;
      m.error = "the input ended inside a message's header";
    }
    return m;
  }
  m.what = read_message::kind::malformed;
  if (!h.error.empty() || !h.have_length) {
    // Without a length the body cannot be found: what follows is read as
    // the next header.
    m.error = h.error.empty() ? "no Content-Length header" : h.error;
    return m;
  }
  std::string body;
  if (!read_body(in_, h.length, body)) {
    m.error = "the input ended inside a message's body";
    return m;
  }
  m.body = json::parse(body, nullptr, false);
  if (m.body.is_discarded()) {
    m.body = json();
    m.error = "the body is no JSON";
    return m;
  }
  m.what = read_message::kind::message;
  return m;
}

bool message_reader::more_buffered() const {
  return in_.rdbuf() != nullptr && in_.rdbuf()->in_avail() > 0;
}

std::string frame(const json& message) {
  const std::string body =
      message.dump(-1, ' ', false, json::error_handler_t::replace);
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

void write_message(std::ostream& out, const json& message) {
  out << frame(message);
  out.flush();
}

json make_response(const json& id, json result) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

json make_error(const json& id, int code, const std::string& message) {
  return {{"jsonrpc", "2.0"},
          {"id", id},
          {"error", {{"code", code}, {"message", message}}}};
}

json make_notification(const std::string& method, json params) {
  return {
      {"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

fd_streambuf::fd_streambuf(int fd, bool for_output)
    : fd_(fd), output_(for_output), buffer_(size_t{1} << 16) {
  if (output_) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  } else {
    setg(buffer_.data(), buffer_.data(), buffer_.data());
  }
}

fd_streambuf::~fd_streambuf() {
  if (output_) flush_out();
}

fd_streambuf::int_type fd_streambuf::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  for (;;) {
    const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
    if (n > 0) {
      setg(buffer_.data(), buffer_.data(), buffer_.data() + n);
      return traits_type::to_int_type(*gptr());
    }
    if (n < 0 && errno == EINTR) continue;
    return traits_type::eof();
  }
}

bool fd_streambuf::flush_out() {
  const char* p = pbase();
  while (p < pptr()) {
    const ssize_t n = ::write(fd_, p, static_cast<size_t>(pptr() - p));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
  }
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return true;
}

fd_streambuf::int_type fd_streambuf::overflow(int_type c) {
  if (!flush_out()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int fd_streambuf::sync() { return output_ && !flush_out() ? -1 : 0; }

}  // namespace scenario::editing
