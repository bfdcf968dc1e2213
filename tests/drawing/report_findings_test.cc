#include "drawing/report_findings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/fixtures/descriptions.h"
#include "shell/run.h"

namespace scenario::drawing {
namespace {

using testing::line_description;
using testing::train_description;

const std::string signal =
    "segnale,    1000,   1, 4, 1,  0, 0,    0,  0,0,0, 0";

// A pair whose strict compilation stops at the second signal (16), checked
// with its warnings: each finding becomes a problem, only the strict code
// is marked, as the one where the build stops.
TEST(problems_of_check, every_finding_with_the_strict_code_marked) {
  const description_text line{"line.txt", line_description(3000), ""};
  const description_text train{
      "train.txt",
      train_description(
          {"velocita,   0,    30", signal, signal, "velocita,   90000,    60"}),
      ""};
  scenario_model strict;
  compile_in_memory(strict, 1, line, train);
  ASSERT_EQ(strict.diagnostics.size(), 1u);
  const check_result checked =
      check_descriptions(line, train, {}, translator());
  ASSERT_EQ(checked.errors, 2);  // 16, then 15 for the record past the cells

  const std::vector<problem> list =
      problems_of_check(checked, strict.diagnostics);
  ASSERT_EQ(list.size(), checked.findings.size());
  int stops = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    const finding& f = checked.findings[i];
    const problem& p = list[i];
    EXPECT_EQ(p.label(), f.warning.empty() ? std::to_string(f.code)
                                           : std::string(f.warning));
    EXPECT_EQ(p.is_error, f.is_error);
    EXPECT_EQ(p.file, f.file);
    EXPECT_EQ(p.line, f.at.line);
    EXPECT_EQ(p.column, f.at.column);
    EXPECT_EQ(p.position_m, f.position_m);
    EXPECT_EQ(p.strict, p.code == 16) << p.label();
    stops += p.stops_build ? 1 : 0;
  }
  EXPECT_EQ(stops, 1);

  // A strict code the check does not list is still shown, as where the
  // build stops.
  const std::vector<problem> alone = problems_of_check({}, strict.diagnostics);
  ASSERT_EQ(alone.size(), 1u);
  EXPECT_EQ(alone[0].code, 16);
  EXPECT_TRUE(alone[0].stops_build);
  EXPECT_EQ(alone[0].file, "train.txt");
}

}  // namespace
}  // namespace scenario::drawing
