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

std::string bytes_word(size_t n) {
  return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

std::string found_end(size_t left) {
  return left == 0 ? "end of file"
                   : bytes_word(left) + " before the end of file";
}

decode_result damaged(std::string_view file, size_t offset,
                      const std::string& expected, const std::string& found) {
  return {decode_damaged, std::string(file) + ": byte " +
                              std::to_string(offset) + ": expected " +
                              expected + ", found " + found};
}

}  // namespace scenario
