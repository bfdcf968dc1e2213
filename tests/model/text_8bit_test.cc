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

// Every byte between runs of plain text converts as it does alone: the
// runs copied whole end exactly where a byte needs converting.
TEST(text_8bit, every_byte_between_plain_runs_converts_as_alone) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::string in = "LUVEA " + byte + " km~" + byte + byte;
    EXPECT_EQ(windows1252_to_utf8(in), "LUVEA " + windows1252_to_utf8(byte) +
                                           " km~" + windows1252_to_utf8(byte) +
                                           windows1252_to_utf8(byte))
        << b;
    EXPECT_EQ(utf8_to_windows1252(windows1252_to_utf8(in), nullptr), in) << b;
    const std::string shown = windows1252_to_printable(byte);
    EXPECT_EQ(windows1252_to_printable(in),
              "LUVEA " + shown + " km~" + shown + shown)
        << b;
    std::string appended = "> ";
    append_printable(appended, in);
    EXPECT_EQ(appended, "> " + windows1252_to_printable(in)) << b;
  }
}

// Control characters other than tab and the line ends, and the bytes
// Windows-1252 leaves undefined, show as U+FFFD; the rest as they are.
TEST(windows1252_to_printable, shows_control_bytes_as_the_replacement) {
  const std::pair<std::string, std::string> cases[] = {
      {"abc\x01"
       "def",
       "abc\xEF\xBF\xBD"
       "def"},
      {"\t\r\n~", "\t\r\n~"},
      {"\x7F", "\xEF\xBF\xBD"},
      {"g\x81h", "g\xEF\xBF\xBDh"},
      {"CITT\xC0", "CITT\xC3\x80"},
      {"\x80", "\xE2\x82\xAC"},
      {std::string("a\0b", 3),
       "a\xEF\xBF\xBD"
       "b"},
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(windows1252_to_printable(in), out) << in;
  }
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
      {"\xF0\x9F\x9A\x82!",
       "??"
       "!",
       {{0, 0x1F682}}},
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

// A column counted in bytes of the 8-bit text is the column in characters
// and in UTF-16 code units of the decoded text: every byte decodes to one
// code point, and none lies beyond U+FFFF (four UTF-8 bytes).
// Whether `utf8` is one well-formed character of at most three bytes (one
// UTF-16 code unit).
bool one_bmp_character(const std::string& utf8) {
  if (!is_valid_utf8(utf8) || utf8.empty() || utf8.size() > 3) return false;
  for (size_t i = 1; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) return false;
  }
  return true;
}

TEST(windows1252_to_utf8, every_byte_is_one_character_of_one_utf16_unit) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    EXPECT_TRUE(one_bmp_character(windows1252_to_utf8(byte))) << b;
    EXPECT_TRUE(one_bmp_character(windows1252_to_printable(byte))) << b;
  }
}

TEST(windows1252_to_printable, control_characters_show_as_replacement) {
  const std::pair<std::string, std::string> cases[] = {
      {"CITT\xC0", "CITT\xC3\x80"},
      {"a\tb", "a\tb"},                // tab kept for carets
      {"\x1B[2J", "\xEF\xBF\xBD[2J"},  // escape
      {"\x7F", "\xEF\xBF\xBD"},        // delete
      {"\x81\x8D\x8F\x90\x9D",         // the undefined bytes
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\x80\x9B", "\xE2\x82\xAC\xE2\x80\xBA"},  // defined: kept
      {std::string("a\0b", 3),
       "a\xEF\xBF\xBD"
       "b"},
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(windows1252_to_printable(in), out) << in;
  }
}

// Paths are bytes: well-formed UTF-8 stands, each ill-formed sequence
// (its longest valid prefix, or one byte) becomes one U+FFFD.
TEST(utf8_with_replacement, ill_formed_sequences_become_replacements) {
  const std::string r = "\xEF\xBF\xBD";
  const struct {
    std::string in, out;
    bool valid;
  } cases[] = {
      {"out/line.txt", "out/line.txt", true},
      {"citt\xC3\xA0/\xE2\x82\xAC/\xF0\x9F\x9A\x86",
       "citt\xC3\xA0/\xE2\x82\xAC/\xF0\x9F\x9A\x86", true},
      {"CITT\xC0.txt", "CITT" + r + ".txt", false},  // 8-bit text
      {"\xC0\x80", r + r, false},                    // overlong NUL
      {"\xE0\x80\xAF", r + r + r, false},            // overlong
      {"\xED\xA0\x80", r + r + r, false},            // surrogate
      {"\xF4\x90\x80\x80", r + r + r + r, false},    // above U+10FFFF
      {"\xE2\x82", r, false},                        // cut short
      {"\xE2\x82x", r + "x", false},                 // cut short
      {"\xF0\x9F\x9A", r, false},                    // cut short
      {"\x80\xBF", r + r, false},                    // lone continuations
      {"\xFE\xFF", r + r, false},
      {"a\x1B\xC2\x85", "a\x1B\xC2\x85", true},  // controls: for JSON
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf8_with_replacement(c.in), c.out) << c.in;
    EXPECT_EQ(is_valid_utf8(c.in), c.valid) << c.in;
    EXPECT_TRUE(is_valid_utf8(utf8_with_replacement(c.in))) << c.in;
  }
}

TEST(path_to_printable, ill_formed_and_control_characters_show_as_replacement) {
  const std::string r = "\xEF\xBF\xBD";
  const std::pair<std::string, std::string> cases[] = {
      {"out/citt\xC3\xA0", "out/citt\xC3\xA0"},
      {"out/CITT\xC0", "out/CITT" + r},
      {"a\x1B[2Jb", "a" + r + "[2Jb"},
      {"a\xC2\x85\xC2\x9F"
       "b\xC2\xA0",
       "a" + r + r + "b\xC2\xA0"},  // C1
      {"a\tb", "a\tb"},
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(path_to_printable(in), out) << in;
  }
}

}  // namespace
}  // namespace scenario
