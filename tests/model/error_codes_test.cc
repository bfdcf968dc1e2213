// The codes and the one description of a recorded diagnostic: every code
// reads the same in the builder's line, the author's form, the report's
// problems, `check` and the language server.
#include "model/error_codes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "checking/check.h"
#include "checking/faulty_pair.h"
#include "checking/formats.h"
#include "drawing/report_findings.h"
#include "editing/diagnostics.h"
#include "model/text_8bit.h"
#include "pipeline/report.h"

namespace scenario {
namespace {

diagnostic recorded(int code, std::optional<int32_t> at,
                    std::string detail = {}) {
  diagnostic d;
  d.codice = code;
  d.posizione = at;
  d.file = "dir/l.txt";
  d.line = 7;
  d.detail = std::move(detail);
  return d;
}

TEST(error_codes, each_code_is_listed_once_with_a_meaning) {
  std::set<int> seen;
  for (const error_code_info& c : all_error_codes()) {
    const int n = code_number(c.code);
    EXPECT_TRUE(seen.insert(n).second) << n;
    EXPECT_FALSE(c.meaning.empty()) << n;
    EXPECT_EQ(find_error_code(n), &c);
    EXPECT_EQ(error_meaning(n).find('%'), std::string::npos) << n;
    EXPECT_EQ(error_has_position(n), c.has_position);
  }
  EXPECT_EQ(seen.size(), 28u);
  EXPECT_EQ(find_error_code(14), nullptr);
  EXPECT_EQ(error_meaning(14), "unknown error");
  EXPECT_FALSE(error_has_position(14));
}

// Each code, with a position recorded: the description carries the
// position only for a code that is recorded with one, and every form that
// shows a recorded code shows that description.
TEST(error_codes, every_form_shows_the_description_of_each_code) {
  for (const error_code_info& c : all_error_codes()) {
    const int n = code_number(c.code);
    SCOPED_TRACE(n);
    const diagnostic d = recorded(n, 2400);
    const diagnostic_description about = describe(d);
    const std::string meaning = error_meaning(n);
    EXPECT_EQ(about.label, "error " + std::to_string(n));
    EXPECT_EQ(about.meaning, meaning);
    EXPECT_EQ(about.text(), meaning);
    EXPECT_EQ(about.position_m.has_value(), c.has_position);

    // The builder's line.
    EXPECT_EQ(format_diagnostic(d, /*file_name_only=*/true, translator()),
              "l.txt:7: error " + std::to_string(n) + ": " + meaning +
                  (c.has_position ? " (position 2400 m)" : ""));
    // The author's form.
    const located_message msg = diagnostic_message(d, translator());
    EXPECT_EQ(msg.label, about.label);
    EXPECT_EQ(msg.text,
              meaning + (c.has_position ? " (position 2+400, 2400 m)" : ""));
    // The report's problems.
    const std::vector<drawing::problem> p = drawing::problems_of_check({}, {d});
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].code, n);
    EXPECT_EQ(p[0].meaning, meaning);
    EXPECT_EQ(p[0].position_m.has_value(), c.has_position);
  }
}

TEST(error_codes, detail_and_missing_position_read_alike_everywhere) {
  struct case_t {
    diagnostic d;
    std::string builder_line;
    std::string author_text;
  };
  const std::vector<case_t> cases = {
      {recorded(16, std::nullopt),
       "l.txt:7: error 16: signal on an occupied cell",
       "signal on an occupied cell"},
      {recorded(25, std::nullopt, "\"sette\" is not a number"),
       "l.txt:7: error 25: reading or run-time failure while compiling "
       "(\"sette\" is not a number)",
       "reading or run-time failure while compiling (\"sette\" is not a "
       "number)"},
      {recorded(15, 99900, "caf\xE9"),
       "l.txt:7: error 15: record lies beyond the end of the cell array (" +
           windows1252_to_printable("caf\xE9") + ") (position 99900 m)",
       "record lies beyond the end of the cell array (caf\xE9) (position "
       "99+900, 99900 m)"},
  };
  for (const case_t& c : cases) {
    SCOPED_TRACE(c.builder_line);
    EXPECT_EQ(format_diagnostic(c.d, true, translator()), c.builder_line);
    EXPECT_EQ(diagnostic_message(c.d, translator()).text, c.author_text);
    const drawing::problem p = drawing::problems_of_check({}, {c.d}).at(0);
    EXPECT_EQ(p.detail, windows1252_to_utf8(c.d.detail));
    EXPECT_EQ(p.position_m, describe(c.d).position_m);
  }
}

// A pair with errors of both kinds, checked: each code the check lists, as
// text and as the language server's diagnostic, is its description.
TEST(error_codes, check_and_language_server_show_the_description) {
  scenario_model m;
  const check_result r =
      check_descriptions({"line.txt", testing::faulty_line, {}},
                         {"train.txt", testing::faulty_train, {}},
                         warning_options{}, translator(), {.compiled = &m});
  ASSERT_EQ(m.diagnostics.size(), 9u);
  const std::string text = format_text(r, /*colour=*/false, translator());
  for (const diagnostic& d : m.diagnostics) {
    SCOPED_TRACE(d.codice);
    const diagnostic_description about = describe(d);
    const auto f = std::find_if(
        r.findings.begin(), r.findings.end(), [&](const finding& x) {
          return x.code == d.codice && x.at.line == d.line && x.file == d.file;
        });
    ASSERT_NE(f, r.findings.end());
    EXPECT_EQ(f->message(translator()), about.text());
    EXPECT_EQ(f->position_m.has_value(), about.position_m.has_value());
    // The check's text: the label, the description and its position.
    const std::string head =
        d.file + ":" + std::to_string(d.line) + ":" + std::to_string(d.column) +
        ": " + about.label + ": " +
        windows1252_to_printable(about.text() +
                                 position_note(about.position_m, translator()));
    EXPECT_NE(text.find(head + "\n"), std::string::npos) << head;
    // The language server's diagnostic of the same finding.
    editing::analysis a;
    a.in = d.file == "line.txt" ? description::line : description::train;
    a.findings = {*f};
    const editing::json lsp =
        editing::diagnostics_json(a, {}, {}, translator());
    ASSERT_EQ(lsp.size(), 1u);
    EXPECT_EQ(lsp[0]["code"], d.codice);
    EXPECT_EQ(lsp[0]["message"], windows1252_to_utf8(about.text()));
  }
}

}  // namespace
}  // namespace scenario
