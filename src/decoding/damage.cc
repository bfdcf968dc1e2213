#include "decoding/damage.h"

namespace scenario {

std::string quote_name(std::string_view text) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string q = "\"";
  for (char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    if (b == '"' || b == '\\') {
      q += '\\';
      q += ch;
    } else if (b >= 0x20 && b < 0x7F) {
      q += ch;
    } else {
      q += "\\x";
      q += hex[b >> 4];
      q += hex[b & 0xF];
    }
  }
  return q + "\"";
}

std::string two_names(std::string_view a, std::string_view b,
                      const translator& tr) {
  return tr.format("%s and %s", quote_name(a), quote_name(b));
}

std::string bytes_word(size_t n, const translator& tr) {
  return tr.format_plural("%d byte", "%d bytes", n, n);
}

std::string found_end(size_t left, const translator& tr) {
  return left == 0
             ? std::string(tr("end of file"))
             : tr.format("%s before the end of file", bytes_word(left, tr));
}

std::string found_more(size_t more, const translator& tr) {
  return tr.format("%s more", bytes_word(more, tr));
}

decode_result damaged(std::string_view file, size_t offset,
                      const std::string& expected, const std::string& found,
                      const translator& tr) {
  return {decode_damaged, tr.format("%s: byte %d: expected %s, found %s", file,
                                    offset, expected, found)};
}

}  // namespace scenario
