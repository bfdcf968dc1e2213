// A finding keeps its message as pattern and arguments: the text made when
// it is shown must be the one a message filled at once would be, in either
// language, whatever bytes the arguments hold.
#include "checking/finding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/error_codes.h"
#include "model/text_8bit.h"

namespace scenario {
namespace {

TEST(message_arguments, give_back_every_argument_whatever_its_bytes) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {""},
      {"7"},
      {"", "a", ""},
      {std::string("NUL\0inside", 10), "\x80\xFF\xE8"},
      {std::string(127, 'x'), std::string(128, 'y'), std::string(20000, 'z')},
  };
  for (const std::vector<std::string>& args : cases) {
    const message_arguments m("%s", args);
    EXPECT_EQ(m.arguments(), args);
    for (size_t i = 0; i < args.size(); ++i) {
      EXPECT_EQ(m.argument(i), args[i]) << i;
    }
    EXPECT_EQ(m.argument(args.size()), "");
  }
}

// Fifteen bytes stay in place, sixteen go to the heap: copies and moves on
// either side of that edge keep every byte, and a moved-from value is empty.
TEST(small_bytes, keeps_its_bytes_through_copies_and_moves) {
  for (const size_t n : {0, 1, 14, 15, 16, 17, 100000}) {
    SCOPED_TRACE(n);
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(i * 7 + 1);
    const small_bytes kept(bytes);
    EXPECT_EQ(kept.view(), bytes);
    small_bytes copy(kept);
    EXPECT_EQ(copy.view(), bytes);
    small_bytes moved(std::move(copy));
    EXPECT_EQ(moved.view(), bytes);
    EXPECT_EQ(copy.view(), "");  // NOLINT: moved from on purpose
    small_bytes assigned(std::string(40, 'q'));
    assigned = moved;
    EXPECT_EQ(assigned.view(), bytes);
    small_bytes short_one(std::string("ab"));
    short_one = std::move(assigned);
    EXPECT_EQ(short_one.view(), bytes);
    const small_bytes& same = short_one;
    short_one = same;
    EXPECT_EQ(short_one.view(), bytes);
  }
}

TEST(message_arguments, text_is_the_translated_pattern_filled_in_8bit) {
  const translator italian = translator::for_locale("it");
  const std::vector<std::string> args = {"CITT\xC0", "3"};  // 8-bit station
  const char* pattern =
      "station %s comes after %s in the file but stands "
      "before it on the line";
  const message_arguments m(pattern, args);
  for (const translator& tr : {translator(), italian}) {
    const std::string want =
        fill_message(utf8_to_windows1252(tr(pattern), nullptr), args);
    EXPECT_EQ(m.text(tr), want) << tr.language();
  }
  EXPECT_NE(m.text(italian), m.text(translator()));
  EXPECT_EQ(m.text(translator()).find('\xC3'), std::string::npos);
}

TEST(finding, a_compiler_error_reads_as_the_describer_says_it) {
  const translator italian = translator::for_locale("it");
  diagnostic plain;
  plain.codice = 16;
  diagnostic detailed;
  detailed.codice = 25;
  detailed.detail = "\"sette\" is not a whole number";
  detailed.worded = {"\"%s\" is not a whole number", {"sette"}, {}};
  diagnostic reason;
  reason.codice = 25;
  reason.detail = "cannot open the file: No such file or directory";
  reason.worded = {
      "cannot open the file: %s", {"No such file or directory"}, {0}};
  for (const diagnostic& d : {plain, detailed, reason}) {
    diagnostic kept = d;
    kept.source_line = "aderenza, x";
    const finding f = compiler_error(std::move(kept), file_name("t.txt"));
    EXPECT_TRUE(f.from_compiler);
    EXPECT_EQ(f.compiler_source(), "aderenza, x");
    for (const translator& tr : {translator(), italian}) {
      EXPECT_EQ(f.message(tr), describe(d, tr).text()) << d.detail;
    }
  }
  // The Italian wording is not the English one, so the wording was kept.
  diagnostic kept = detailed;
  const finding f = compiler_error(std::move(kept), file_name("t.txt"));
  EXPECT_NE(f.message(italian).find("non \xE8 un numero intero"),
            std::string::npos);
}

TEST(source_line, runs_from_the_line_start_to_its_end) {
  struct case_ {
    std::string text;
    finding_place at;
    std::string want;
  };
  const std::vector<case_> cases = {
      {"a\r\nbb, 1\r\nc", {2, 5, 1, 3}, "bb, 1"},
      {"a\nbb, 1\nc", {2, 1, 2, 2}, "bb, 1"},
      {"a\rbb, 1\rc", {2, 1, 2, 2}, "bb, 1"},
      {"last, 2", {1, 7, 1, 0}, "last, 2"},
      {"a\r\n", {2, 1, 0, 3}, ""},
      {"short", {9, 1, 1, 999}, ""},  // past the end: nothing
      {"no place", {0, 0, 0, 0}, ""},
  };
  for (const case_& c : cases) {
    EXPECT_EQ(source_line(c.text, c.at), c.want) << c.text;
  }
}

TEST(file_name, compares_by_its_text_and_shares_one_copy) {
  const file_name a("dir/R_linea.txt");
  const file_name b = a;
  EXPECT_EQ(a, b);
  EXPECT_EQ(a, "dir/R_linea.txt");
  EXPECT_EQ(a, file_name("dir/R_linea.txt"));
  EXPECT_NE(a, file_name("dir/R_T-.txt"));
  EXPECT_TRUE(file_name().empty());
  EXPECT_EQ(file_name(), "");
  EXPECT_EQ(a.str(), "dir/R_linea.txt");
}

}  // namespace
}  // namespace scenario
