#include "model/text_8bit.h"

#include <array>

namespace scenario {
namespace {

// Code points of the bytes 0x80 to 0x9F; the undefined ones keep their own
// number.
constexpr std::array<char16_t, 32> cp1252_high = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char32_t windows1252_code_point(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? cp1252_high[byte - 0x80] : byte;
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string windows1252_to_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    append_utf8(out, windows1252_code_point(static_cast<unsigned char>(ch)));
  }
  return out;
}

namespace {

// The byte for a code point, or -1 when Windows-1252 has none.
int windows1252_byte(char32_t c) {
  if (c < 0x100) return static_cast<int>(c);
  for (size_t i = 0; i < cp1252_high.size(); ++i) {
    if (cp1252_high[i] == c) return static_cast<int>(0x80 + i);
  }
  return -1;
}

// Decodes the UTF-8 sequence at text[i]; sets `size` to the bytes it takes
// (1 for a byte that starts no valid sequence, decoded as U+FFFD).
char32_t decode_utf8(std::string_view text, size_t i, size_t& size) {
  const auto byte = [&](size_t k) {
    return static_cast<unsigned char>(text[k]);
  };
  const unsigned char b = byte(i);
  size = 1;
  if (b < 0x80) return b;
  int more = 0;
  char32_t c = 0;
  if (b >= 0xC2 && b < 0xE0) {
    more = 1;
    c = b & 0x1F;
  } else if (b >= 0xE0 && b < 0xF0) {
    more = 2;
    c = b & 0x0F;
  } else if (b >= 0xF0 && b < 0xF5) {
    more = 3;
    c = b & 0x07;
  } else {
    return 0xFFFD;
  }
  if (i + more >= text.size()) return 0xFFFD;
  for (int k = 1; k <= more; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0xFFFD;
    c = (c << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are no UTF-8.
  if ((more == 2 && c < 0x800) || (more == 3 && c < 0x10000) ||
      (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) {
    return 0xFFFD;
  }
  size = 1 + more;
  return c;
}

}  // namespace

std::string utf8_to_windows1252(std::string_view text,
                                std::vector<unencodable_char>* unencodable) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    size_t size = 1;
    const char32_t c = decode_utf8(text, i, size);
    const int b = c == 0xFFFD ? -1 : windows1252_byte(c);
    if (b >= 0) {
      out += static_cast<char>(b);
    } else {
      out.append(c >= 0x10000 ? 2 : 1, '?');
      if (unencodable != nullptr) unencodable->push_back({i, c});
    }
    i += size;
  }
  return out;
}

}  // namespace scenario
