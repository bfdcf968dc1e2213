#include "model/text_8bit.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

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

}  // namespace
}  // namespace scenario
