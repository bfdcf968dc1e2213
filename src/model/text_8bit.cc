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

constexpr char32_t replacement = 0xFFFD;

bool is_control(char32_t c) {
  return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') ||
         (c >= 0x7F && c < 0xA0);
}

// The length of the well-formed UTF-8 sequence at the start of `s`, or 0
// with `*prefix` set to the bytes of its longest valid prefix (at least 1).
size_t utf8_sequence(std::string_view s, size_t* prefix) {
  const auto b0 = static_cast<unsigned char>(s[0]);
  *prefix = 1;
  if (b0 < 0x80) return 1;
  size_t need = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // the second byte's range
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 3;
    if (b0 == 0xE0) lo = 0xA0;  // overlong
    if (b0 == 0xED) hi = 0x9F;  // surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 4;
    if (b0 == 0xF0) lo = 0x90;  // overlong
    if (b0 == 0xF4) hi = 0x8F;  // above U+10FFFF
  } else {
    return 0;
  }
  size_t n = 1;
  for (; n < need && n < s.size(); ++n) {
    const auto b = static_cast<unsigned char>(s[n]);
    const bool fits = n == 1 ? b >= lo && b <= hi : b >= 0x80 && b <= 0xBF;
    if (!fits) break;
  }
  if (n == need) return need;
  *prefix = n;
  return 0;
}

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

namespace {

// Appends the run of bytes from `low` to `high` at `i` as they stand and
// returns where it ends: runs of ASCII stand for themselves in every
// conversion here, and a description is mostly that.
size_t append_run(std::string& out, std::string_view text, size_t i,
                  unsigned char low, unsigned char high) {
  size_t end = i;
  while (end < text.size() && static_cast<unsigned char>(text[end]) >= low &&
         static_cast<unsigned char>(text[end]) <= high) {
    ++end;
  }
  out.append(text.substr(i, end - i));
  return end;
}

constexpr unsigned char last_ascii = 0x7F;
// Space to tilde: printable as they stand.
constexpr unsigned char first_plain = 0x20;
constexpr unsigned char last_plain = 0x7E;

}  // namespace

std::string windows1252_to_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    i = append_run(out, text, i, 0, last_ascii);
    if (i == text.size()) break;
    append_utf8(out,
                windows1252_code_point(static_cast<unsigned char>(text[i])));
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
// (1 for a byte that starts no well-formed sequence, decoded as U+FFFD).
char32_t decode_utf8(std::string_view text, size_t i, size_t& size) {
  size_t prefix = 0;
  const size_t n = utf8_sequence(text.substr(i), &prefix);
  size = n == 0 ? 1 : n;
  if (n == 0) return replacement;
  const auto byte = [&](size_t k) {
    return static_cast<unsigned char>(text[i + k]);
  };
  static constexpr unsigned char lead_bits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t c = byte(0) & lead_bits[n];
  for (size_t k = 1; k < n; ++k) c = (c << 6) | (byte(k) & 0x3F);
  return c;
}

}  // namespace

std::string utf8_to_windows1252(std::string_view text,
                                std::vector<unencodable_char>* unencodable) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    i = append_run(out, text, i, 0, last_ascii);
    if (i == text.size()) break;
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

std::string windows1252_to_printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  append_printable(out, text);
  return out;
}

void append_printable(std::string& out, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    i = append_run(out, text, i, first_plain, last_plain);
    if (i == text.size()) break;
    const char32_t c =
        windows1252_code_point(static_cast<unsigned char>(text[i]));
    append_utf8(out, is_control(c) ? replacement : c);
  }
}

bool is_valid_utf8(std::string_view bytes) {
  size_t prefix = 0;
  for (size_t i = 0; i < bytes.size();) {
    const size_t n = utf8_sequence(bytes.substr(i), &prefix);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

namespace {

std::string valid_utf8(std::string_view bytes, bool printable) {
  std::string out;
  out.reserve(bytes.size());
  size_t prefix = 0;
  for (size_t i = 0; i < bytes.size();) {
    const size_t n = utf8_sequence(bytes.substr(i), &prefix);
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    // One byte below 0x80, or 0xC2 then 0x80 to 0x9F: a control character.
    const char32_t c = n == 1 ? b0
                       : n == 2 && b0 == 0xC2
                           ? static_cast<unsigned char>(bytes[i + 1])
                           : replacement;
    if (n == 0 || (printable && is_control(c))) {
      append_utf8(out, replacement);
      i += n == 0 ? prefix : n;
    } else {
      out.append(bytes.substr(i, n));
      i += n;
    }
  }
  return out;
}

}  // namespace

std::string utf8_with_replacement(std::string_view bytes) {
  return valid_utf8(bytes, false);
}

std::string path_to_printable(std::string_view bytes) {
  return valid_utf8(bytes, true);
}

}  // namespace scenario
