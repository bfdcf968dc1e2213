#include "sources/line_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::temp_dir;
using testing::write_file;

line_table table_of(std::initializer_list<std::string_view> content) {
  return line_table(std::span(content.begin(), content.size()));
}

std::string write_and_read(std::initializer_list<std::string_view> content) {
  temp_dir dir;
  const auto target = dir / "out.txt";
  file_failure failure;
  EXPECT_TRUE(write_line_table(target, table_of(content), &failure))
      << failure.message();
  return read_file(target);
}

TEST(LineTable, writes_each_line_with_crlf_and_stops_at_the_marker) {
  EXPECT_EQ(write_and_read({"[generale]", "a,  1  ", "", std::string_view(),
                            end_marker, "never written"}),
            "[generale]\r\na,  1  \r\n\r\n\r\n");
}

TEST(LineTable, marker_in_the_first_slot_gives_an_empty_file) {
  temp_dir dir;
  const auto target = dir / "note.txt";
  ASSERT_TRUE(write_line_table(target, table_of({end_marker}), nullptr));
  ASSERT_TRUE(std::filesystem::exists(target));
  EXPECT_EQ(std::filesystem::file_size(target), 0u);
}

TEST(LineTable, only_the_exact_marker_stops_the_walk) {
  // Near misses are ordinary lines.
  EXPECT_EQ(
      write_and_read({"Riferimento fine del file", "riferimento fine del file ",
                      " riferimento fine del file", end_marker}),
      "Riferimento fine del file\r\n"
      "riferimento fine del file \r\n"
      " riferimento fine del file\r\n");
}

TEST(LineTable, slots_after_the_content_stay_empty) {
  const line_table t = table_of({"a", end_marker});
  EXPECT_EQ(t.slot(0), "a");
  EXPECT_EQ(t.slot(1), end_marker);
  EXPECT_EQ(t.slot(2), "");
  EXPECT_EQ(t.slot(line_table_slots - 1), "");
}

TEST(LineTable, a_table_without_marker_ends_at_its_last_slot) {
  std::vector<std::string_view> content(line_table_slots + 5, "x");
  const line_table t(content);
  EXPECT_EQ(t.lines().size(), line_table_slots);
}

TEST(LineTable, content_check_requires_exactly_one_final_marker) {
  constexpr std::string_view good[] = {"a", end_marker};
  constexpr std::string_view only_marker[] = {end_marker};
  constexpr std::string_view no_marker[] = {"a", "b"};
  constexpr std::string_view early_marker[] = {end_marker, "a", end_marker};
  static_assert(is_line_table_content(good));
  static_assert(is_line_table_content(only_marker));
  EXPECT_FALSE(is_line_table_content(no_marker));
  EXPECT_FALSE(is_line_table_content(early_marker));
  EXPECT_FALSE(is_line_table_content({}));
  std::vector<std::string_view> too_long(line_table_slots, "x");
  too_long.push_back(end_marker);
  EXPECT_FALSE(is_line_table_content(too_long));
  too_long.erase(too_long.begin());
  EXPECT_TRUE(is_line_table_content(too_long));
}

TEST(LineTable, replacing_a_longer_file_leaves_nothing_of_it) {
  temp_dir dir;
  const auto target = dir / "out.txt";
  write_file(target, std::string(10000, 'z') + "\r\n");
  ASSERT_TRUE(write_line_table(target, table_of({"ab", end_marker}), nullptr));
  EXPECT_EQ(read_file(target), "ab\r\n");
}

TEST(LineTable, unwritable_target_is_reported_with_its_name) {
  temp_dir dir;
  const auto target = dir / "missing" / "out.txt";
  file_failure failure;
  EXPECT_FALSE(
      write_line_table(target, table_of({"ab", end_marker}), &failure));
  EXPECT_EQ(failure.file, target);
  EXPECT_FALSE(failure.reason.empty());
  EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace scenario
