#include "pipeline/report.h"

#include <gtest/gtest.h>

#include <sstream>

#include "model/error_codes.h"
#include "model/kilometres.h"

namespace scenario {
namespace {

TEST(report, diagnostics_read_like_compiler_errors) {
  const struct {
    diagnostic d;
    bool names_only;
    const char* want;
  } cases[] = {
      {{16,
        2400,
        "/some/dir/Tarvena_Olmisco_IR 4518-.txt",
        42,
        "",
        0,
        0,
        "",
        {}},
       true,
       "Tarvena_Olmisco_IR 4518-.txt:42: error 16: signal on an occupied "
       "cell (position 2400 m)"},
      {{16, 2400, "lines/train.txt", 42, "", 0, 0, "", {}},
       false,
       "lines/train.txt:42: error 16: signal on an occupied cell (position "
       "2400 m)"},
      // Codes that record no position never show one.
      {{10, 2400, "t.txt", 7, "", 0, 0, "", {}},
       false,
       "t.txt:7: error 10: entry table full: the stations would reach the "
       "direction-board texts"},
      {{101, std::nullopt, "l.txt", 0, "", 0, 0, "", {}},
       false,
       "l.txt: error 101: the line description does not exist"},
      {{25,
        std::nullopt,
        "t.txt",
        3,
        "\"abc\" is not a whole number",
        0,
        0,
        "",
        {}},
       false,
       "t.txt:3: error 25: reading or run-time failure while compiling "
       "(\"abc\" is not a whole number)"},
      // The warning distance in the meaning is the compiler's constant.
      {{17, 9800, "t.txt", 12, "", 0, 0, "", {}},
       false,
       "t.txt:12: error 17: slowdown warning cell (1200 m before the start) "
       "is occupied (position 9800 m)"},
      // Post-processing codes carry no file.
      {{12, 5000, "", 0, "", 0, 0, "", {}},
       true,
       "error 12: no free cell in a speed-point window before a slowdown "
       "start (position 5000 m)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(format_diagnostic(c.d, c.names_only, translator()), c.want);
  }
}

TEST(report, author_form_shows_column_kilometres_source_and_caret) {
  const std::string signal_line =
      "segnale,    2400,   1, 4, 1,  0, 0,    0,  0,0,0, 0";
  const struct {
    const char* name;
    diagnostic d;
    const char* want;
  } cases[] = {
      {"a rejected record",
       {16, 2400, "train.txt", 42, "", 13, 4, signal_line, {}},
       "train.txt:42:13: error 16: signal on an occupied cell (position "
       "2+400, 2400 m)\n"
       "   42 | segnale,    2400,   1, 4, 1,  0, 0,    0,  0,0,0, 0\n"
       "      |             ^~~~\n"},
      {"tabs before the field stay tabs under it",
       {6, 50, "l.txt", 7, "", 5, 2, "\t\tx\t50", {}},
       "l.txt:7:5: error 6: direction board on an occupied cell (position "
       "0+050, 50 m)\n"
       "    7 | \t\tx\t50\n"
       "      | \t\t \t^~\n"},
      {"an empty field gets a lone caret",
       {25, std::nullopt, "t.txt", 1234567, "x", 5, 0, "a,  ,", {}},
       "t.txt:1234567:5: error 25: reading or run-time failure while "
       "compiling (x)\n"
       "1234567 | a,  ,\n"
       "        |     ^\n"},
      {"no place, no source",
       {101, std::nullopt, "l.txt", 0, "", 0, 0, "", {}},
       "l.txt: error 101: the line description does not exist\n"},
      {"no file",
       {12, 5000, "", 0, "", 0, 0, "", {}},
       "error 12: no free cell in a speed-point window before a slowdown "
       "start (position 5+000, 5000 m)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(render_message(diagnostic_message(c.d, translator()), false),
              c.want);
  }
}

TEST(report, colour_only_paints_around_the_same_text) {
  const diagnostic d{16, 2400, "t.txt", 3, "", 2, 1, " 2400", {}};
  const std::string plain =
      render_message(diagnostic_message(d, translator()), false);
  std::string coloured =
      render_message(diagnostic_message(d, translator()), true);
  EXPECT_EQ(plain.find('\033'), std::string::npos);
  EXPECT_NE(coloured.find("\033[1;31merror 16:\033[0m"), std::string::npos)
      << coloured;
  for (size_t at; (at = coloured.find('\033')) != std::string::npos;) {
    coloured.erase(at, coloured.find('m', at) - at + 1);
  }
  EXPECT_EQ(coloured, plain);
}

TEST(report, every_recorded_code_gets_one_line) {
  scenario_model m;
  record_error(m, 15, 99900, "l.txt", 120);
  record_error(m, 13, 3000);
  std::ostringstream err;
  report_diagnostics(m, err, false, translator());
  EXPECT_EQ(err.str(),
            "l.txt:120: error 15: record lies beyond the end of the cell "
            "array (position 99900 m)\n"
            "error 13: no free cell for a speed point inside a slowdown or "
            "next to the first signal after it (position 3000 m)\n");
}

TEST(error_codes, every_code_has_a_meaning) {
  for (int code :
       {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,  11,  12,  13,   15,
        16, 17, 18, 19, 20, 21, 22, 24, 25, 101, 102, 103, 1250, 1251}) {
    EXPECT_NE(error_meaning(code), "unknown error") << code;
  }
  EXPECT_EQ(error_meaning(14), "unknown error");
}

// Code 17 states the distance the compiler sets the warning before the
// start, so a change of that distance changes the text with it.
TEST(error_codes, code_17_states_the_warning_distance) {
  const std::string distance =
      "(" + std::to_string(slowdown_warning_distance_m) + " m before";
  EXPECT_NE(error_meaning(17).find(distance), std::string_view::npos)
      << error_meaning(17);
}

}  // namespace
}  // namespace scenario
