#include "editing/document.h"

#include <gtest/gtest.h>

#include <string>

namespace scenario::editing {
namespace {

// "è" takes two bytes and one UTF-16 unit; the locomotive (U+1F682) four
// bytes and two units.
const std::string text =
    "ab\r\n"               // line 0
    "\xC3\xA8x\n"          // line 1: è x
    "\xF0\x9F\x9A\x82y\r"  // line 2: locomotive y
    "last";                // line 3

TEST(document_positions, utf16_units_map_to_utf8_bytes_and_back) {
  const struct {
    text_position p;
    size_t offset;
  } cases[] = {
      {{0, 0}, 0}, {{0, 2}, 2},  {{1, 0}, 4},  {{1, 1}, 6},  {{1, 2}, 7},
      {{2, 0}, 8}, {{2, 2}, 12}, {{2, 3}, 13}, {{3, 0}, 14}, {{3, 4}, 18},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(offset_of(text, c.p), c.offset)
        << c.p.line << ":" << c.p.character;
    EXPECT_EQ(position_of(text, c.offset), c.p) << c.offset;
  }
}

TEST(document_positions, places_outside_the_text_are_clamped) {
  EXPECT_EQ(offset_of(text, {0, 99}), 2u);  // past the line's end
  EXPECT_EQ(offset_of(text, {9, 0}), text.size());
  EXPECT_EQ(offset_of(text, {2, 1}), 8u);  // inside a surrogate pair
  EXPECT_EQ(position_of(text, 3), (text_position{0, 2}));  // inside CR LF
  EXPECT_EQ(position_of(text, 999), (text_position{3, 4}));
  EXPECT_EQ(offset_of("a\n", {1, 0}), 2u);  // the empty last line
  EXPECT_EQ(position_of("a\n", 2), (text_position{1, 0}));
}

TEST(document_edits, ranges_replace_insert_and_delete_across_lines) {
  const struct {
    text_range r;
    std::string with;
    std::string result;
  } cases[] = {
      {{{1, 1}, {1, 2}}, "Z", "ab\r\n\xC3\xA8Z\n\xF0\x9F\x9A\x82y\rlast"},
      {{{0, 2}, {2, 2}}, "", "aby\rlast"},
      {{{3, 4}, {3, 4}}, "\n", text + "\n"},
      {{{0, 0}, {0, 0}}, "\xC3\xA8", "\xC3\xA8" + text},
      // Reversed: taken from the earlier place.
      {{{0, 1}, {0, 0}}, "", text.substr(1)},
  };
  for (const auto& c : cases) {
    std::string t = text;
    apply_edit(t, c.r, c.with);
    EXPECT_EQ(t, c.result);
  }
}

TEST(document_text, latin1_readings_keep_their_characters_when_given_back) {
  document latin1{"u", "p", 1, "\xC2\x80 5"};  // U+0080, read as Latin-1
  EXPECT_TRUE(latin1.read_as_latin1());
  EXPECT_EQ(latin1.text_8bit(nullptr), "\x80 5");
  EXPECT_EQ(to_editor_text(latin1, "\x80 6"), "\xC2\x80 6");
  document cp1252{"u", "p", 1, "\xE2\x82\xAC 5"};  // the euro sign
  EXPECT_FALSE(cp1252.read_as_latin1());
  EXPECT_EQ(cp1252.text_8bit(nullptr), "\x80 5");
  EXPECT_EQ(to_editor_text(cp1252, "\x80 6"), "\xE2\x82\xAC 6");
}

TEST(document_uris, file_uris_and_paths_convert_both_ways) {
  const struct {
    std::string path;
    std::string uri;
  } cases[] = {
      {"/tmp/Tarvena_Olmisco_IR 4518-.txt",
       "file:///tmp/Tarvena_Olmisco_IR%204518-.txt"},
      {"/a/citt\xC3\xA0#1.txt", "file:///a/citt%C3%A0%231.txt"},
      {"/x~y/z.txt", "file:///x~y/z.txt"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(uri_of_path(c.path), c.uri);
    EXPECT_EQ(path_of_uri(c.uri), c.path);
  }
  EXPECT_EQ(path_of_uri("file://localhost/a%2"), "/a%2");  // cut short
  EXPECT_EQ(path_of_uri("untitled:Untitled-1"), "");
}

}  // namespace
}  // namespace scenario::editing
