// The checker: every compiler code of a pair in one pass, each at the line
// and column of its field, while the strict compilation of the same pair
// still stops at the first; and what the check does after each kind of code.
#include "checking/check.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "checking/faulty_pair.h"
#include "shell/run.h"
#include "sources/sources.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::faulty_line;
using testing::faulty_train;

description_text text(const char* file, std::string body) {
  return {file, std::move(body), {}};
}

using place = std::tuple<std::string, int, int, int>;  // file, code, line, col

std::vector<place> error_places(const check_result& r) {
  std::vector<place> v;
  for (const finding& f : r.findings) {
    if (f.is_error) {
      v.emplace_back(f.file.str(), f.code, f.at.line, f.at.column);
    }
  }
  return v;
}

// Messages are 8-bit text like the record texts quoted in them, whatever
// the language: a translation's accented letters are one byte each.
TEST(check, italian_messages_are_8bit_text_in_the_same_places) {
  const check_result en = check_descriptions(text("line.txt", faulty_line),
                                             text("train.txt", faulty_train),
                                             warning_options{}, translator());
  const translator italian = translator::for_locale("it");
  const check_result it = check_descriptions(text("line.txt", faulty_line),
                                             text("train.txt", faulty_train),
                                             warning_options{}, italian);
  EXPECT_EQ(error_places(en), error_places(it));
  ASSERT_EQ(en.findings.size(), it.findings.size());
  bool saw_accent = false;
  for (size_t i = 0; i < it.findings.size(); ++i) {
    EXPECT_NE(en.findings[i].message(translator()),
              it.findings[i].message(italian))
        << i;
    const std::string m = it.findings[i].message(italian);
    // No UTF-8 lead byte of a two-byte letter: each letter is one byte.
    EXPECT_EQ(m.find('\xC3'), std::string::npos) << m;
    saw_accent = saw_accent || m.find('\xE8') != std::string::npos;  // è
  }
  EXPECT_TRUE(saw_accent);
}

TEST(check, lists_every_error_of_both_files_at_its_field) {
  const check_result r = check_descriptions(text("line.txt", faulty_line),
                                            text("train.txt", faulty_train),
                                            warning_options{}, translator());
  const std::vector<place> want = {
      {"line.txt", 3, 3, 34},    {"line.txt", 103, 5, 1},
      {"line.txt", 21, 8, 19},   {"line.txt", 15, 10, 23},
      {"line.txt", 6, 12, 23},   {"train.txt", 25, 2, 20},
      {"train.txt", 8, 6, 15},   {"train.txt", 9, 7, 25},
      {"train.txt", 16, 10, 13},
  };
  EXPECT_EQ(error_places(r), want);
  EXPECT_EQ(r.errors, 9);
  EXPECT_EQ(check_status(r), 1);
  // Each error shows its source line.
  for (const finding& f : r.findings) {
    if (f.is_error) {
      EXPECT_FALSE(r.source_of(f).empty()) << f.code;
    }
  }
}

TEST(check, strict_compilation_of_the_same_pair_stops_at_the_first) {
  scenario_model m;
  compile_in_memory(m, 1, text("line.txt", faulty_line),
                    text("train.txt", faulty_train));
  ASSERT_EQ(m.diagnostics.size(), 1u);
  EXPECT_EQ(m.diagnostics[0].codice, 3);
  EXPECT_EQ(m.diagnostics[0].line, 3);
  EXPECT_EQ(m.diagnostics[0].column, 34);
}

// A valid pair to break one way at a time.
const char* const good_line =
    "[generale]\r\n"
    "lunghezza percorso,    5000\r\n"
    "[curve]\r\n"
    "pendenza,   0,    0\r\n"
    "[fine]\r\n";
const char* const good_train =
    "[generale]\r\n"
    "velocita,   0,    30\r\n"
    "segnale,    1500,   1, 4, 1,  0, 0,    0,  0,0,0, 0\r\n"
    "segnale,    1500,   1, 4, 1,  0, 0,    0,  0,0,0, 0\r\n"
    "[fine]\r\n";

// After these codes nothing meaningful can follow: the check ends with the
// one code and never reads the train description (whose duplicate signal
// would otherwise be code 16).
TEST(check, codes_that_leave_no_cells_end_the_check) {
  const struct {
    const char* name;
    description_text line;
    int code;
  } cases[] = {
      {"missing line description",
       {"l.txt", std::nullopt, "no such file"},
       101},
      {"no [generale]", text("l.txt", "lunghezza percorso, 5000\r\n[fine]\r\n"),
       102},
      {"line too long",
       text("l.txt",
            "[generale]\r\nlunghezza percorso, 2000000\r\n[curve]\r\n"
            "pendenza, 0, 0\r\n[fine]\r\n"),
       1},
      {"no line length",
       text("l.txt",
            "[generale]\r\n[curve]\r\npendenza, 0, 0\r\n"
            "pendenza, 100, 0\r\n[fine]\r\n"),
       25},
      {"a failed line length and no body",
       text("l.txt",
            "[generale]\r\nlunghezza percorso, lungo\r\n[curve]\r\n"
            "[fine]\r\n"),
       25},
      {"no line length and no body",
       text("l.txt", "[generale]\r\n[curve]\r\n[fine]\r\n"), 25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const check_result r =
        check_descriptions(c.line, text("t.txt", good_train), {}, translator());
    ASSERT_EQ(r.findings.size(), 1u);
    EXPECT_EQ(r.findings[0].code, c.code);
    EXPECT_EQ(r.errors, 1);
  }
}

// A reading failure resumes at the next line, in either file; a missing
// train description is one code 25 with the line's findings kept.
TEST(check, reading_failures_resume_at_the_next_line) {
  const check_result r = check_descriptions(
      text("l.txt",
           "[generale]\r\nlunghezza percorso, 5000\r\nsfondo uno, x1\r\n"
           "[curve]\r\npendenza, 0, 99999999999\r\npendenza, 100, 1\r\n"
           "montagna,   100,  2000,  1\r\n[fine]\r\n"),
      text("t.txt",
           "[generale]\r\nvelocita, 0, 30\r\nsabbia, 70000\r\n"
           "segnale, 1500, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\r\n"
           "segnale, 1500, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\r\n[fine]\r\n"),
      {}, translator());
  const std::vector<place> want = {{"l.txt", 25, 3, 13},
                                   {"l.txt", 25, 5, 14},
                                   {"t.txt", 25, 3, 9},
                                   {"t.txt", 16, 5, 10}};
  EXPECT_EQ(error_places(r), want);

  const check_result missing = check_descriptions(
      text("l.txt", good_line), {"t.txt", std::nullopt, "cannot open the file"},
      {}, translator());
  ASSERT_EQ(missing.errors, 1);
  EXPECT_EQ(missing.findings[0].code, 25);
  EXPECT_EQ(missing.findings[0].file, "t.txt");
}

// A rejected station is read to its end and leaves no trace: the next
// station is compared with the last one accepted.
TEST(check, a_rejected_station_is_skipped_whole) {
  const check_result r = check_descriptions(
      text("l.txt", good_line),
      text("t.txt",
           "[generale]\r\nvelocita, 0, 30\r\n"
           "stazione, 1000, 12, 200, 0,0,0, 0,0,0, 0,0,0, 0, 7,0,0, A\r\n"
           "stazione, 1525, 12, 200, 0,0,0, 0,0,0, 0,0,0, 0, 7,5,0, STAZIONE "
           "NORD\r\n"
           "stazione, 2000, 12, 200, 0,0,0, 0,0,0, 0,0,0, 0, 7,9,0, C\r\n"
           "[fine]\r\n"),
      {}, translator());
  const std::vector<place> want = {{"t.txt", 8, 4, 11}};
  EXPECT_EQ(error_places(r), want);
}

TEST(check, a_clean_pair_has_no_error) {
  const check_result r = check_descriptions(
      text("l.txt", good_line),
      text("t.txt", "[generale]\r\nvelocita, 0, 30\r\n[fine]\r\n"), {},
      translator());
  EXPECT_EQ(r.errors, 0);
  EXPECT_EQ(check_status(r), 0);
}

// The build's own descriptions, as its writers write them: no error, and
// only the warnings judged in the notes of this check (three records past
// the 99500 m the line's length states, the last speed change, to 30 km/h
// at 99100 m, without a speed board, and one leg of the timetable within
// the regularity margin of the default train).
TEST(check, the_builds_descriptions_have_no_error) {
  testing::temp_dir dir;
  file_failure failure;
  ASSERT_TRUE(dati_linea(dir.path(), build_percorso, &failure));
  ASSERT_TRUE(dati_treno(dir.path(), build_percorso, build_treno, &failure));
  const check_result r = check_descriptions(
      load_description(linea_txt_path(dir.path(), build_percorso)),
      load_description(treno_txt_path(dir.path(), build_percorso, build_treno)),
      {}, translator());
  EXPECT_EQ(r.errors, 0);
  std::vector<std::pair<std::string, int>> warnings;
  for (const finding& f : r.findings) {
    if (!f.is_error) warnings.emplace_back(f.warning, f.at.line);
  }
  const std::vector<std::pair<std::string, int>> want = {
      {"beyond-line", 137},         // curvad4 from 99800 m
      {"beyond-line", 170},         // tunnel from 100050 m
      {"speed-board-missing", 14},  // 30 km/h from 99100 m
      // ROCCAFERRA to ALBAREDO, 22.4 km of which 9.6 at 70 km/h, in 17:00:
      // the fastest run takes 16:06, 54 s less, where the margin asks 59 s.
      {"timetable-tight", 28},
      {"beyond-line", 35},  // OLMISCO at 101200 m
  };
  EXPECT_EQ(warnings, want);
}

TEST(check, errors_and_warnings_come_in_file_then_line_order) {
  // Warnings raised kind by kind (repeated records, boards) among the
  // compiler's errors: one order for all, by file, line and column.
  std::string train = faulty_train;
  const size_t signals = train.find("[segnali]\r\n");
  ASSERT_NE(signals, std::string::npos);
  std::string repeated = "[aderenze]\r\n";
  for (int i = 0; i < 40; ++i) repeated += "aderenza,   0,    100\r\n";
  train.insert(signals, repeated);
  const check_result r = check_descriptions(text("line.txt", faulty_line),
                                            text("train.txt", train),
                                            warning_options{}, translator());
  ASSERT_GT(r.warnings, 38);
  ASSERT_GT(r.errors, 0);
  const auto rank = [](const finding& f) {
    return std::tuple{f.file == "line.txt"    ? 0
                      : f.file == "train.txt" ? 1
                                              : 2,
                      f.at.line, f.at.column};
  };
  for (size_t i = 1; i < r.findings.size(); ++i) {
    EXPECT_LE(rank(r.findings[i - 1]), rank(r.findings[i])) << i;
  }
  EXPECT_EQ(r.findings.size(), static_cast<size_t>(r.errors + r.warnings));
  // The repetitions, each named by the line it repeats, in line order.
  int last = 0;
  for (const finding& f : r.findings) {
    if (f.warning != "duplicate-record") continue;
    EXPECT_GT(f.at.line, last);
    last = f.at.line;
    EXPECT_EQ(r.source_of(f), "aderenza,   0,    100");
  }
}

}  // namespace
}  // namespace scenario
