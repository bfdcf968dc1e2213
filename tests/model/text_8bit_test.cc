#include "model/text_8bit.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace scenario {
namespace {

TEST(windows1252_to_utf8, every_byte_becomes_its_code_point) {
  const std::pair<std::string, std::string> cases[] = {
      {"LUVEA", "LUVEA"},
      {"CITT\xC0", "CITT\xC3\x80"},                // A grave
      {"\x80 5", "\xE2\x82\xAC 5"},                // euro sign
      {"\x93x\x94", "\xE2\x80\x9Cx\xE2\x80\x9D"},  // curly quotes
      {"\x81", "\xC2\x81"},                        // undefined: U+0081
      {"\xFF", "\xC3\xBF"},                        // y diaeresis
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(windows1252_to_utf8(in), out);
  }
}

TEST(utf8_to_windows1252, every_byte_comes_back_from_its_code_point) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::vector<unencodable_char> bad;
  EXPECT_EQ(utf8_to_windows1252(windows1252_to_utf8(all), &bad), all);
  EXPECT_TRUE(bad.empty());
}

TEST(utf8_to_windows1252, latin1_control_characters_keep_their_byte) {
  // An editor that read the file as Latin-1 sends U+0080 for the byte 0x80.
  std::string latin1;
  for (char32_t c = 0x80; c < 0xA0; ++c) append_utf8(latin1, c);
  std::string bytes;
  for (int b = 0x80; b < 0xA0; ++b) bytes += static_cast<char>(b);
  EXPECT_EQ(utf8_to_windows1252(latin1, nullptr), bytes);
}

TEST(utf8_to_windows1252, characters_without_a_byte_are_listed_where_found) {
  const struct {
    std::string in;
    std::string out;
    std::vector<std::pair<size_t, char32_t>> bad;
  } cases[] = {
      {"A\xE2\x86\x92"
       "B",
       "A?B",
       {{1, 0x2192}}},  // an arrow
      // Beyond U+FFFF: two UTF-16 units, two bytes.
      {"\xF0\x9F\x9A\x82!", "??" "!", {{0, 0x1F682}}},
      {"x\xFFy", "x?y", {{1, 0xFFFD}}},  // no UTF-8
      {"\xC3", "?", {{0, 0xFFFD}}},      // cut short
      // An overlong form: each byte is refused.
      {"\xE0\x80\x80", "???", {{0, 0xFFFD}, {1, 0xFFFD}, {2, 0xFFFD}}},
      {"CITT\xC3\x80 \xE2\x82\xAC", "CITT\xC0 \x80", {}},
  };
  for (const auto& c : cases) {
    std::vector<unencodable_char> bad;
    EXPECT_EQ(utf8_to_windows1252(c.in, &bad), c.out) << c.in;
    ASSERT_EQ(bad.size(), c.bad.size()) << c.in;
    for (size_t i = 0; i < bad.size(); ++i) {
      EXPECT_EQ(bad[i].offset, c.bad[i].first) << c.in;
      EXPECT_EQ(bad[i].code_point, c.bad[i].second) << c.in;
    }
  }
}

}  // namespace
}  // namespace scenario
