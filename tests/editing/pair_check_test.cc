// A checked pair dealt out to its two descriptions: each record and finding
// to the description it belongs to, once, with the line's length for both.
#include "editing/pair_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../checking/faulty_pair.h"
#include "model/error_codes.h"

namespace scenario::editing {
namespace {

description_text text(const char* file, const char* bytes) {
  return {file, std::string(bytes), {}};
}

TEST(pair_check, deals_each_record_and_finding_to_its_description) {
  description_text linea = text("dir/R_linea.txt", testing::faulty_line);
  description_text treno = text("dir/R_T-.txt", testing::faulty_train);
  const check_result whole = check_descriptions(linea, treno, {}, translator());
  pair_check c({"dir/R_linea.txt", "dir/R_T-.txt"}, linea, treno, {},
               translator());

  const analysis line = c.take(description::line, linea);
  const analysis train = c.take(description::train, treno);
  EXPECT_EQ(line.text, testing::faulty_line);
  EXPECT_EQ(train.text, testing::faulty_train);
  ASSERT_FALSE(line.findings.empty());
  ASSERT_FALSE(train.findings.empty());
  for (const finding& f : line.findings) EXPECT_EQ(f.file, "dir/R_linea.txt");
  for (const finding& f : train.findings) EXPECT_EQ(f.file, "dir/R_T-.txt");
  EXPECT_EQ(line.findings.size() + train.findings.size(),
            whole.findings.size());
  ASSERT_FALSE(line.records.empty());
  ASSERT_FALSE(train.records.empty());
  for (const record_as_read& r : line.records) {
    EXPECT_EQ(r.in, description::line);
  }
  for (const record_as_read& r : train.records) {
    EXPECT_EQ(r.in, description::train);
  }
  // Dealt out in the order checked: the line's, then the train's, as the
  // whole check lists them.
  std::vector<std::string> dealt;
  for (const analysis* a : {&line, &train}) {
    for (const finding& f : a->findings) {
      dealt.push_back(f.message(translator()));
    }
  }
  std::vector<std::string> listed;
  for (const finding& f : whole.findings) {
    listed.push_back(f.message(translator()));
  }
  EXPECT_EQ(dealt, listed);
  EXPECT_EQ(line.line_length_m, 5000);
  EXPECT_EQ(train.line_length_m, 5000);
  // Taken once: a second asking finds nothing left.
  description_text again = text("dir/R_T-.txt", testing::faulty_train);
  const analysis twice = c.take(description::train, again);
  EXPECT_TRUE(twice.findings.empty());
  EXPECT_TRUE(twice.records.empty());
}

TEST(pair_check, a_train_without_a_line_is_told_how_to_name_one) {
  description_text linea;
  description_text treno = text("dir/alone.txt", testing::faulty_train);
  pair_check c({{}, "dir/alone.txt"}, linea, treno, {}, translator());
  const analysis line = c.take(description::line, linea);
  EXPECT_TRUE(line.findings.empty());
  const analysis train = c.take(description::train, treno);
  ASSERT_EQ(train.findings.size(), 1u);
  const finding& f = train.findings[0];
  EXPECT_EQ(f.code, code_number(error_code::line_missing));
  EXPECT_NE(f.message(translator()).find("ROUTE_linea.txt"), std::string::npos);
  EXPECT_EQ(f.at.line, 1);
  EXPECT_EQ(f.at.column, 1);
  EXPECT_TRUE(train.records.empty());
  EXPECT_FALSE(train.line_length_m.has_value());
}

}  // namespace
}  // namespace scenario::editing
