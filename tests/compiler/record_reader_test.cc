#include "compiler/record_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/run_time_failure.h"

namespace scenario {
namespace {

// Writes the test texts with "\n" and swaps in the line end under test.
std::string with_line_ends(const std::string& text, const std::string& eol) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += eol;
    } else {
      out += c;
    }
  }
  return out;
}

const char* const line_end_kinds[] = {"\r\n", "\n", "\r"};

// One expected field: its kind, its value and the line it starts on.
struct field {
  enum kind_t { text, int32, int16, int8 } kind;
  std::string text_value;
  int64_t number;
  int line;
};

field t(std::string value, int line) {
  return {field::text, std::move(value), 0, line};
}
field i32(int64_t value, int line) { return {field::int32, "", value, line}; }
field i16(int64_t value, int line) { return {field::int16, "", value, line}; }
field i8(int64_t value, int line) { return {field::int8, "", value, line}; }

struct reading_case {
  const char* name;
  std::string text;
  std::vector<field> fields;  // the file is at its end after the last one
};

const reading_case reading_cases[] = {
    {"blanks before a comma end a number",
     "ripetizione segnali 4 codici,    0    ,0\n",
     {t("ripetizione segnali 4 codici", 1), i32(0, 1), i32(0, 1)}},
    {"empty fields read as 0",
     "indicatori_vmax,  850,  90,  95,  95,  0,  ,  ,  ,  0\n[fine]\n",
     {t("indicatori_vmax", 1), i32(850, 1), i32(90, 1), i32(95, 1), i32(95, 1),
      i32(0, 1), i32(0, 1), i32(0, 1), i32(0, 1), i32(0, 1), t("[fine]", 2)}},
    {"numbers separated by blanks only",
     "orologio,    7               5             30 \nnext,1\n",
     {t("orologio", 1), i16(7, 1), i16(5, 1), i16(30, 1), t("next", 2),
      i32(1, 2)}},
    {"quoted text keeps its commas and skips to the delimiter",
     "\"a, b\"  ,next\n\"x\" junk\ny\n",
     {t("a, b", 1), t("next", 1), t("x", 2), t("y", 3)}},
    {"unquoted text drops its leading and trailing blanks",
     "  nome   \t,\t valore dopo  \n",
     {t("nome", 1), t("valore dopo", 1)}},
    {"empty text field", "a,,b\n", {t("a", 1), t("", 1), t("b", 1)}},
    {"signs and the limits of each width",
     "-5,+7,  -2147483648, 2147483647\n-32768, 32767, 0, 255\n",
     {i32(-5, 1), i32(7, 1), i32(-2147483648LL, 1), i32(2147483647, 1),
      i16(-32768, 2), i16(32767, 2), i8(0, 2), i8(255, 2)}},
    {"fields of a record continue on the next line",
     "segnale, 100,\n  2, 3\n[fine]\n",
     {t("segnale", 1), i32(100, 1), i32(2, 2), i32(3, 2), t("[fine]", 3)}},
    {"a comma before a line end is no empty field",
     "a, 1,\n2\n",
     {t("a", 1), i32(1, 1), i32(2, 2)}},
    {"blank lines before a field are skipped", "\n \t\n  key\n", {t("key", 3)}},
    {"the last field may lack its line end", "key,5", {t("key", 1), i32(5, 1)}},
    {"one line end after a number, the next line's blank line skipped",
     "n, 4\n\nnext\n",
     {t("n", 1), i32(4, 1), t("next", 3)}},
    {"leading zeros", "007, -0\n", {i32(7, 1), i32(0, 1)}},
};

TEST(RecordReader, reads_fields_with_their_lines_for_every_line_end) {
  for (const char* eol : line_end_kinds) {
    for (const reading_case& c : reading_cases) {
      SCOPED_TRACE(std::string(c.name) + " / line end " +
                   (eol[0] == '\n' ? "LF"
                    : eol[1]       ? "CR LF"
                                   : "CR"));
      record_reader r(with_line_ends(c.text, eol));
      for (size_t n = 0; n < c.fields.size(); ++n) {
        SCOPED_TRACE("field " + std::to_string(n + 1));
        const field& f = c.fields[n];
        ASSERT_FALSE(r.at_end());
        switch (f.kind) {
          case field::text:
            EXPECT_EQ(r.read_text(), f.text_value);
            break;
          case field::int32:
            EXPECT_EQ(r.read_int32(), f.number);
            break;
          case field::int16:
            EXPECT_EQ(r.read_int16(), f.number);
            break;
          case field::int8:
            EXPECT_EQ(r.read_int8(), f.number);
            break;
        }
        EXPECT_EQ(r.field_line(), f.line);
      }
      EXPECT_TRUE(r.at_end());
    }
  }
}

TEST(RecordReader, quoted_text_may_span_lines) {
  record_reader r("\"two\r\nlines\" ,x\r\ny\r\n");
  EXPECT_EQ(r.read_text(), "two\r\nlines");
  EXPECT_EQ(r.field_line(), 1);
  EXPECT_EQ(r.read_text(), "x");
  EXPECT_EQ(r.field_line(), 2);
  EXPECT_EQ(r.read_text(), "y");
  EXPECT_EQ(r.field_line(), 3);
  EXPECT_TRUE(r.at_end());
}

TEST(RecordReader, at_end_once_only_blanks_and_line_ends_are_left) {
  record_reader r("[fine]\r\n");
  EXPECT_FALSE(r.at_end());
  EXPECT_EQ(r.read_text(), "[fine]");
  EXPECT_TRUE(r.at_end());

  // Blank lines after the last field hold no field.
  record_reader trailing("[fine]\r\n\r\n \t\r\n");
  EXPECT_EQ(trailing.read_text(), "[fine]");
  EXPECT_TRUE(trailing.at_end());
  EXPECT_THROW(trailing.read_text(), run_time_failure);

  record_reader middle("a\r\n\r\nb\r\n");
  EXPECT_EQ(middle.read_text(), "a");
  EXPECT_FALSE(middle.at_end());
}

struct failing_case {
  const char* name;
  std::string text;
  field::kind_t kind;
};

const failing_case failing_cases[] = {
    {"8-bit field above 255", "256", field::int8},
    {"8-bit field below 0", "-1", field::int8},
    {"16-bit field above 32767", "32768", field::int16},
    {"16-bit field below -32768", "-32769", field::int16},
    {"32-bit field above its range", "2147483648", field::int32},
    {"32-bit field below its range", "-2147483649", field::int32},
    {"a run of digits far beyond any range", "123456789012345678901234567890",
     field::int32},
    {"a number that wraps to 5 in 64 bits", "18446744073709551621",
     field::int32},
    {"fractional number", "12.5,3", field::int32},
    {"text where a number belongs", "abc,3", field::int32},
    {"digits followed by letters", "5x", field::int32},
    {"a sign alone", "- ,3", field::int32},
    {"quoted number", "\"5\"", field::int32},
    {"integer from an empty file", "", field::int32},
    {"text from an empty file", "", field::text},
    {"integer from blanks and line ends only", "  \r\n\t\r\n ", field::int32},
    {"text from blanks and line ends only", " \n \n", field::text},
    {"quoted text without its closing quote", "\"open, 5\r\n", field::text},
};

TEST(RecordReader, rejects_bad_numbers_and_reading_past_the_end) {
  for (const failing_case& c : failing_cases) {
    SCOPED_TRACE(c.name);
    record_reader r(c.text);
    switch (c.kind) {
      case field::text:
        EXPECT_THROW(r.read_text(), run_time_failure);
        break;
      case field::int32:
        EXPECT_THROW(r.read_int32(), run_time_failure);
        break;
      case field::int16:
        EXPECT_THROW(r.read_int16(), run_time_failure);
        break;
      case field::int8:
        EXPECT_THROW(r.read_int8(), run_time_failure);
        break;
    }
  }
}

TEST(RecordReader, reading_after_the_last_field_fails_with_its_line) {
  record_reader r("a,1\r\nb,2\r\n");
  r.read_text();
  r.read_int32();
  r.read_text();
  EXPECT_EQ(r.read_int32(), 2);
  ASSERT_TRUE(r.at_end());
  try {
    r.read_text();
    FAIL() << "reading past the end did not fail";
  } catch (const run_time_failure& e) {
    EXPECT_STREQ(e.what(), "reading past the end of the file");
    EXPECT_EQ(r.field_line(), 3);
  }
}

TEST(RecordReader, reads_a_long_file_in_one_pass) {
  const int records = 100000;
  std::string text = "[generale]\r\n";
  for (int n = 1; n <= records; ++n) {
    text += "pendenza,  " + std::to_string(n * 50) + ",  " +
            std::to_string(n % 7 - 3) + "\r\n";
  }
  record_reader r(std::move(text));
  EXPECT_EQ(r.read_text(), "[generale]");
  int64_t position_sum = 0;
  int64_t gradient_sum = 0;
  int last_line = 0;
  while (!r.at_end()) {
    ASSERT_EQ(r.read_text(), "pendenza");
    last_line = r.field_line();
    position_sum += r.read_int32();
    gradient_sum += r.read_int32();
  }
  EXPECT_EQ(last_line, records + 1);
  EXPECT_EQ(position_sum, int64_t{50} * records * (records + 1) / 2);
  int64_t expected_gradients = 0;
  for (int n = 1; n <= records; ++n) expected_gradients += n % 7 - 3;
  EXPECT_EQ(gradient_sum, expected_gradients);
}

struct match_case {
  const char* key;
  const char* word;
  bool nocase;
  bool exact;
};

TEST(KeyMatching, nocase_folds_ascii_letters_and_exact_does_not) {
  const match_case cases[] = {
      {"pendenza", "pendenza", true, true},
      {"PENDENZA", "pendenza", true, false},
      {"Progressiva chilometrica uno", "progressiva", true, false},
      {"progressiva chilometrica uno", "uno", true, true},
      {"xx[Generale]yy", "[generale]", true, false},
      {"curvas2", "S", true, false},
      {"curvad2", "s", false, false},
      {"abc", "abcd", false, false},
      {"", "a", false, false},
      {"abc", "", true, true},
      {"caf\xC9", "caf\xE9", false, false},  // only ASCII letters fold
      {"a - b", "-", true, true},
  };
  for (const match_case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " / " + c.word);
    EXPECT_EQ(contains_nocase(c.key, c.word), c.nocase);
    EXPECT_EQ(contains_exact(c.key, c.word), c.exact);
  }
}

TEST(SearchGenerale, stops_at_the_first_key_holding_the_section_name) {
  record_reader r("a,1\r\nx [GENERALE] y\r\nlunghezza percorso, 5\r\n");
  std::string riga;
  EXPECT_TRUE(search_generale(r, riga));
  EXPECT_EQ(riga, "x [GENERALE] y");
  EXPECT_EQ(r.read_text(), "lunghezza percorso");
  EXPECT_EQ(r.field_line(), 3);
}

TEST(SearchGenerale, fails_when_the_file_ends_right_after_a_key) {
  const char* const texts[] = {
      "a\r\nb\r\n",                // no section at all
      "a\r\nb\r\n[generale]\r\n",  // the section is the last field
      "[generale]",                // the same, without a line end
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    record_reader r(text);
    std::string riga;
    EXPECT_FALSE(search_generale(r, riga));
    EXPECT_TRUE(r.at_end());
  }
}

TEST(SearchGenerale, empty_file_is_a_reading_failure) {
  for (const char* text : {"", "  \r\n\r\n"}) {
    record_reader r(text);
    std::string riga;
    EXPECT_THROW(search_generale(r, riga), run_time_failure);
  }
}

// A handler that reads one number after keys holding "rec" and two after keys
// holding "two", and ends the loop on a key holding "stop"; it notes every
// key it is given.
struct loop_case {
  const char* name;
  std::string text;
  int dash_repeats;
  bool eof_ends_loop;
  std::vector<std::string> processed;
  bool fails;
};

const int general_repeats = 10;
const int body_repeats = 2;

const loop_case loop_cases[] = {
    {"the last field is never processed",
     "rec,1\n[fine]\n",
     body_repeats,
     true,
     {"rec=1"},
     false},
    {"a record on the last line with its fields is processed",
     "rec,1\nrec,2",
     body_repeats,
     true,
     {"rec=1", "rec=2"},
     false},
    {"a record after the bare closing section is processed",
     "rec,1\n[fine]\nrec,5",
     body_repeats,
     true,
     {"rec=1", "[fine]", "rec=5"},
     false},
    {"a key alone on the last line is not processed",
     "rec,1\n[fine]\nrec",
     body_repeats,
     true,
     {"rec=1", "[fine]"},
     false},
    {"blank lines after the last field change nothing",
     "rec,1\n[fine]\n\n  \n",
     body_repeats,
     true,
     {"rec=1"},
     false},
    {"a key alone in the file is not processed",
     "only\n",
     body_repeats,
     true,
     {},
     false},
    {"an empty file runs no record", "", body_repeats, true, {}, false},
    {"two dashed keys are skipped in the body",
     "-a\n-b\nrec,1\n[fine]\n",
     body_repeats,
     true,
     {"rec=1"},
     false},
    {"the third dashed key in a row is tested as a key",
     "-a\n-b\n-c\nrec,1\n[fine]\n",
     body_repeats,
     true,
     {"-c", "rec=1"},
     false},
    {"a dash anywhere makes a comment, skipped field by field",
     "x-y,rec,7\n[fine]\n",
     body_repeats,
     true,
     {"rec=7"},
     false},
    {"the body ends when a skipped comment reaches the end",
     "rec,1\n-- commento\n[fine]\n",
     body_repeats,
     true,
     {"rec=1"},
     false},
    {"the body ends at a dashed last field",
     "rec,1\n-x\n",
     body_repeats,
     true,
     {"rec=1"},
     false},
    {"body: the line after a comment is the last field, not processed",
     "-a\nlast\n",
     body_repeats,
     true,
     {},
     false},
    {"general block: the line after a comment is processed though last",
     "-a\nlast\n",
     general_repeats,
     false,
     {"last"},
     false},
    {"general block: a dashed last line reads past the end",
     "-a\n-b\n",
     general_repeats,
     false,
     {},
     true},
    {"general block: ten dashed keys are skipped, the eleventh is processed",
     "-0\n-1\n-2\n-3\n-4\n-5\n-6\n-7\n-8\n-9\n-10\nrec,3\n[fine]\n",
     general_repeats,
     false,
     {"-10", "rec=3"},
     false},
    {"general block: ten comments then a record",
     "-1\n-2\n-3\n-4\n-5\n-6\n-7\n-8\n-9\n-10\nrec,3\n[fine]\n",
     general_repeats,
     false,
     {"rec=3"},
     false},
    {"the handler ends the loop",
     "rec,1\nstop\nrec,2\n[fine]\n",
     general_repeats,
     false,
     {"rec=1", "stop"},
     false},
    {"a handler reading past the end fails",
     "two,1\n\n",
     body_repeats,
     true,
     {},
     true},
};

TEST(RecordsLoop, applies_the_dash_rule_and_the_end_of_file_rules) {
  for (const char* eol : {"\r\n", "\n"}) {
    for (const loop_case& c : loop_cases) {
      SCOPED_TRACE(std::string(c.name) + (eol[1] ? " / CR LF" : " / LF"));
      record_reader r(with_line_ends(c.text, eol));
      std::string riga;
      std::vector<std::string> processed;
      auto run = [&] {
        records_loop(
            r, riga, c.dash_repeats, c.eof_ends_loop, [&](std::string& key) {
              if (contains_nocase(key, "rec")) {
                processed.push_back(key + "=" + std::to_string(r.read_int32()));
              } else if (contains_nocase(key, "two")) {
                const int32_t first = r.read_int32();
                processed.push_back(key + "=" + std::to_string(first) + "," +
                                    std::to_string(r.read_int32()));
              } else {
                processed.push_back(key);
              }
              return !contains_nocase(key, "stop");
            });
      };
      if (c.fails) {
        EXPECT_THROW(run(), run_time_failure);
      } else {
        EXPECT_NO_THROW(run());
      }
      EXPECT_EQ(processed, c.processed);
    }
  }
}

TEST(RecordsLoop, the_key_that_ends_the_loop_is_consumed) {
  record_reader r("stop\r\nrec,2\r\n[fine]\r\n");
  std::string riga;
  records_loop(r, riga, general_repeats, false,
               [](std::string& key) { return key != "stop"; });
  EXPECT_EQ(riga, "stop");
  EXPECT_EQ(r.read_text(), "rec");
  EXPECT_EQ(r.field_line(), 2);
}

TEST(RecordsLoop, the_handler_may_overwrite_riga) {
  record_reader r("cartello, 100, Olmisco\r\n[fine]\r\n");
  std::string riga;
  std::vector<std::string> seen;
  records_loop(r, riga, body_repeats, true, [&](std::string& key) {
    r.read_int32();
    key = r.read_text();
    seen.push_back(riga);
    return true;
  });
  EXPECT_EQ(seen, std::vector<std::string>{"Olmisco"});
}

}  // namespace
}  // namespace scenario
