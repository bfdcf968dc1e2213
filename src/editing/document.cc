#include "editing/document.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace scenario::editing {
namespace {

// Bytes of the UTF-8 sequence led by `b`, and its UTF-16 units.
size_t sequence_bytes(unsigned char b) {
  if (b >= 0xF0) return 4;
  if (b >= 0xE0) return 3;
  if (b >= 0xC0) return 2;
  return 1;
}

// The offset just past the line end that ends the line starting at `i`,
// or text.size() when the line is the last one.
size_t next_line(std::string_view text, size_t i, size_t* content_end) {
  while (i < text.size() && text[i] != '\n' && text[i] != '\r') ++i;
  if (content_end != nullptr) *content_end = i;
  if (i >= text.size()) return text.size();
  if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
    return i + 2;
  }
  return i + 1;
}

}  // namespace

size_t offset_of(std::string_view text, text_position p) {
  size_t i = 0;
  for (int line = 0; line < p.line; ++line) {
    const size_t next = next_line(text, i, nullptr);
    if (next == i ||
        (next == text.size() && text.back() != '\n' && text.back() != '\r')) {
      return text.size();
    }
    i = next;
  }
  size_t end = 0;
  next_line(text, i, &end);
  int units = 0;
  while (i < end && units < p.character) {
    const size_t n = sequence_bytes(static_cast<unsigned char>(text[i]));
    const int u = n == 4 ? 2 : 1;
    if (units + u > p.character) break;
    units += u;
    i = std::min(end, i + n);
  }
  return i;
}

text_position position_of(std::string_view text, size_t offset) {
  offset = std::min(offset, text.size());
  text_position p;
  size_t i = 0;
  for (;;) {
    size_t end = 0;
    const size_t next = next_line(text, i, &end);
    // A place inside a line end stands at the end of its line.
    if (offset < next || next == end) {
      const size_t stop = std::min(offset, end);
      while (i < stop) {
        const size_t n = sequence_bytes(static_cast<unsigned char>(text[i]));
        p.character += n == 4 ? 2 : 1;
        i += n;
      }
      return p;
    }
    i = next;
    ++p.line;
  }
}

void apply_edit(std::string& text, text_range range,
                std::string_view replacement) {
  size_t a = offset_of(text, range.start);
  size_t b = offset_of(text, range.end);
  if (b < a) std::swap(a, b);
  text.replace(a, b - a, replacement);
}

bool document::read_as_latin1() const {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    // U+0080 to U+009F are C2 80 to C2 9F.
    if (static_cast<unsigned char>(text[i]) == 0xC2) {
      const auto next = static_cast<unsigned char>(text[i + 1]);
      if (next >= 0x80 && next < 0xA0) return true;
    }
  }
  return false;
}

std::string unstorable_summary(const document& d,
                               const std::vector<unencodable_char>& unencodable,
                               const translator& tr) {
  if (unencodable.empty()) return {};
  const unencodable_char& first = unencodable.front();
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X",
                static_cast<unsigned>(first.code_point));
  const size_t n = unencodable.size();
  return tr.format_plural(
      "the text holds %d character that Windows-1252 cannot store (the "
      "first, %s, on line %d)",
      "the text holds %d characters that Windows-1252 cannot store (the "
      "first, %s, on line %d)",
      n, n, code, position_of(d.text, first.offset).line + 1);
}

std::string to_editor_text(const document& d, std::string_view bytes) {
  if (!d.read_as_latin1()) return windows1252_to_utf8(bytes);
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) append_utf8(out, static_cast<unsigned char>(ch));
  return out;
}

}  // namespace scenario::editing
