#include "output/replace_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::temp_dir;
using testing::write_file;

int count_entries(const std::filesystem::path& dir) {
  int n = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    (void)e;
    ++n;
  }
  return n;
}

TEST(replace_file, text_lines_end_in_cr_lf_and_replace_a_longer_file) {
  temp_dir dir;
  write_file(dir / "a.txt", std::string(5000, 'x'));
  file_failure f;
  ASSERT_TRUE(
      write_text_lines(dir / "a.txt", {"[fine]", "  trailing  ", ""}, &f));
  EXPECT_EQ(read_file(dir / "a.txt"), "[fine]\r\n  trailing  \r\n\r\n");
  EXPECT_EQ(count_entries(dir.path()), 1);
}

TEST(replace_file, no_lines_give_an_empty_file) {
  temp_dir dir;
  write_file(dir / "note.txt", "old content\r\n");
  ASSERT_TRUE(write_text_lines(dir / "note.txt", {}, nullptr));
  EXPECT_EQ(read_file(dir / "note.txt"), "");
}

TEST(replace_file, abandoned_writer_leaves_old_file_and_no_temporary) {
  temp_dir dir;
  write_file(dir / "x.dat", "old");
  {
    replacement_file out(dir / "x.dat");
    ASSERT_TRUE(out.ok());
    out.put(std::string(200000, 'n'));  // more than one buffer
  }
  EXPECT_EQ(read_file(dir / "x.dat"), "old");
  EXPECT_EQ(count_entries(dir.path()), 1);
}

TEST(replace_file, failed_rename_keeps_what_stands_there) {
  temp_dir dir;
  std::filesystem::create_directory(dir / "taken");
  write_file(dir / "taken" / "inside", "kept");
  replacement_file out(dir / "taken");
  out.put("new");
  EXPECT_FALSE(out.commit());
  EXPECT_EQ(out.failure().file, dir / "taken");
  EXPECT_FALSE(out.failure().reason.empty());
  EXPECT_EQ(read_file(dir / "taken" / "inside"), "kept");
  EXPECT_EQ(count_entries(dir.path()), 1);
}

// What a replacement killed half-way leaves is removed; every other name,
// however close, stays.
TEST(replace_file, abandoned_temporaries_of_a_target_are_removed) {
  temp_dir dir;
  const char* const abandoned[] = {".x.dat.tmp.123.0", ".x.dat.tmp.9.99"};
  const char* const others[] = {
      "x.dat",          ".x.dat.tmp.",      ".x.dat.tmp.12", ".x.dat.tmp.a.0",
      ".y.dat.tmp.1.0", ".x.dat.tmp.1.0.b", "x.dat.tmp.1.0", ".x.dat.tmp.1.",
  };
  for (const char* name : abandoned) write_file(dir / name, "partial");
  for (const char* name : others) write_file(dir / name, "kept");
  std::filesystem::create_directory(dir / ".x.dat.tmp.5.5");
  write_file(dir / ".z.sim.tmp.7.0", "partial");
  EXPECT_EQ(
      remove_abandoned_temporaries(dir.path(), {dir / "x.dat", dir / "z.sim"}),
      3);
  EXPECT_FALSE(std::filesystem::exists(dir / ".z.sim.tmp.7.0"));
  for (const char* name : abandoned) {
    EXPECT_FALSE(std::filesystem::exists(dir / name)) << name;
  }
  for (const char* name : others) EXPECT_EQ(read_file(dir / name), "kept");
  EXPECT_TRUE(std::filesystem::is_directory(dir / ".x.dat.tmp.5.5"));
  EXPECT_EQ(remove_abandoned_temporaries(dir / "missing", {"x.dat"}), 0);
}

TEST(replace_file, integers_are_little_endian) {
  temp_dir dir;
  {
    replacement_file out(dir / "n");
    out.put_u8(0xAB);
    out.put_u16(0x0102);
    out.put_i16(-2);
    out.put_i32(-150);
    out.put_f64(1.0);
    ASSERT_TRUE(out.commit());
  }
  EXPECT_EQ(read_file(dir / "n"),
            std::string("\xAB\x02\x01\xFE\xFF\x6A\xFF\xFF\xFF"
                        "\x00\x00\x00\x00\x00\x00\xF0\x3F",
                        17));
}

}  // namespace
}  // namespace scenario
