// The markup writer: 8-bit names become UTF-8, and no text or attribute
// value can break out of its place in the page.
#include "drawing/markup.h"

#include <gtest/gtest.h>

#include <string>

namespace scenario::drawing {
namespace {

TEST(from_8bit, decodes_windows_1252_and_replaces_what_markup_cannot_carry) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"LUVEA 3+200", "LUVEA 3+200"},
      {"CITT\xC0", "CITT\xC3\x80"},                // Latin-1 letter
      {"\xE9\xFF", "\xC3\xA9\xC3\xBF"},            // é ÿ
      {"\x80 \x85", "\xE2\x82\xAC \xE2\x80\xA6"},  // € …: the code page's own
      {"a\x81z", "a\xEF\xBF\xBDz"},                // undefined in the code page
      {std::string("a\0b\x01\x7F", 5),
       "a\xEF\xBF\xBD"
       "b\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"tab\there", "tab\there"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(from_8bit(c.in), c.out) << c.in;
}

TEST(markup, names_cannot_open_tags_or_end_attributes) {
  const std::string hostile = "A<b>\"&'</text><script>x</script>";
  markup m;
  m.open("text").attr("data-name", hostile).text(hostile).close("text");
  EXPECT_EQ(m.str(),
            "<text data-name=\"A&lt;b&gt;&quot;&amp;&#39;&lt;/text&gt;"
            "&lt;script&gt;x&lt;/script&gt;\">"
            "A&lt;b&gt;\"&amp;'&lt;/text&gt;&lt;script&gt;x&lt;/script&gt;"
            "</text>");
}

TEST(markup, empty_elements_nested_elements_and_numbers) {
  markup m;
  m.open("g").attr("class", "x");
  m.open("rect")
      .attr("x", 1.25)
      .attr("y", -0.04)
      .attr("width", 3.0)
      .end_empty();
  m.element("title", "t");
  m.close("g");
  EXPECT_EQ(m.str(),
            "<g class=\"x\"><rect x=\"1.3\" y=\"0\" width=\"3\"/>"
            "<title>t</title></g>");
}

TEST(coordinate, one_decimal_at_most_and_never_minus_zero) {
  EXPECT_EQ(coordinate(12.0), "12");
  EXPECT_EQ(coordinate(-3.46), "-3.5");
  EXPECT_EQ(coordinate(-0.01), "0");
  EXPECT_EQ(coordinate(1e300 * 1e300), "0");  // never "inf" in a path
}

}  // namespace
}  // namespace scenario::drawing
