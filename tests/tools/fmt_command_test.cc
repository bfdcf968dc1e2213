// `scenario fmt` as an author and CI use it: the formatted text on standard
// output, -w rewriting files (which then compile to the same binary files,
// byte for byte), --check listing what would change, standard input, and
// the statuses for inputs that are missing or are no description.
#include <gtest/gtest.h>

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "editing/formatter.h"
#include "sources/dati_linea.h"
#include "sources/dati_treno.h"
#include "testing/process.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::process_result;
using testing::read_file;
using testing::temp_dir;
using testing::write_file;

process_result tool(std::vector<std::string> args) {
  return testing::run_tool(std::move(args));
}

std::string crlf_text(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view l : lines) {
    text += l;
    text += "\r\n";
  }
  return text;
}

const char* const loose_train =
    "[generale]\r\nvelocita,0,30\r\nvelocita,   850 ,  95\r\n[fine]\r\n";
const char* const tidy_train =
    "[generale]\r\nvelocita,   0, 30\r\nvelocita, 850, 95\r\n[fine]\r\n";

TEST(fmt_command, prints_the_formatted_files_in_turn) {
  temp_dir dir;
  write_file(dir / "a.txt", loose_train);
  write_file(dir / "b.txt", tidy_train);
  const process_result r =
      tool({"fmt", (dir / "a.txt").string(), (dir / "b.txt").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, std::string(tidy_train) + tidy_train);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(read_file(dir / "a.txt"), loose_train);
}

TEST(fmt_command, check_lists_the_files_that_would_change) {
  temp_dir dir;
  const std::string loose = (dir / "loose.txt").string();
  const std::string tidy = (dir / "tidy.txt").string();
  write_file(loose, loose_train);
  write_file(tidy, tidy_train);

  const process_result clean = tool({"fmt", "--check", tidy});
  EXPECT_EQ(clean.status, 0) << clean.err;
  EXPECT_EQ(clean.out, "");

  const process_result dirty = tool({"fmt", "--check", tidy, loose});
  EXPECT_EQ(dirty.status, 1) << dirty.err;
  EXPECT_EQ(dirty.out, loose + "\n");
  EXPECT_EQ(read_file(loose), loose_train);
}

// The build's pair, respaced by hand, rewritten in place: both files then
// pass --check and compile to the very bytes the untouched pair compiles to.
TEST(fmt_command, rewritten_pair_compiles_to_the_same_bytes) {
  temp_dir dir;
  const std::string linea = crlf_text(linea_lines());
  std::string treno = crlf_text(treno_lines());
  treno.replace(treno.find("velocita,   0,    30"), 20, "velocita,0,\t30   ");
  write_file(dir / "linea.txt", linea);
  write_file(dir / "treno.txt", treno);
  std::filesystem::create_directory(dir / "before");
  std::filesystem::create_directory(dir / "after");
  const std::string l = (dir / "linea.txt").string();
  const std::string t = (dir / "treno.txt").string();
  ASSERT_EQ(tool({"compile", l, t, "-o", (dir / "before").string()}).status, 0);

  const process_result w = tool({"fmt", "-w", l, t});
  EXPECT_EQ(w.status, 0) << w.err;
  EXPECT_EQ(w.out, "");
  EXPECT_EQ(read_file(l), editing::format_description(linea));
  EXPECT_EQ(read_file(t), editing::format_description(treno));
  EXPECT_NE(read_file(t), treno);
  EXPECT_EQ(tool({"fmt", "--check", l, t}).status, 0);

  ASSERT_EQ(tool({"compile", l, t, "-o", (dir / "after").string()}).status, 0);
  size_t compared = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir / "before")) {
    SCOPED_TRACE(e.path().filename().string());
    EXPECT_EQ(read_file(e.path()),
              read_file(dir / "after" / e.path().filename()));
    ++compared;
  }
  EXPECT_EQ(compared, 3u);
}

// The rewritten file keeps its permissions, and a link stays a link to the
// file it names, which receives the new text.
TEST(fmt_command, rewriting_keeps_permissions_and_links) {
  temp_dir dir;
  const std::filesystem::path file = dir / "train.txt";
  const std::filesystem::path link = dir / "link.txt";
  write_file(file, loose_train);
  std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_write);
  std::filesystem::create_symlink(file, link);

  const process_result w = tool({"fmt", "-w", link.string()});
  EXPECT_EQ(w.status, 0) << w.err;
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(read_file(file), tidy_train);
  EXPECT_EQ(
      std::filesystem::status(file).permissions(),
      std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(fmt_command, reads_standard_input_for_a_dash) {
  temp_dir dir;
  write_file(dir / "in.txt", loose_train);
  const process_result r = testing::run_program(
      {"/bin/sh", "-c", std::string("\"$0\" fmt - < \"$1\""),
       SCENARIO_TOOL_PATH, (dir / "in.txt").string()},
      true);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, tidy_train);
}

TEST(fmt_command, statuses_for_missing_inputs_and_non_descriptions) {
  temp_dir dir;
  const std::string tidy = (dir / "tidy.txt").string();
  const std::string notes = (dir / "notes.txt").string();
  const std::string missing = (dir / "missing.txt").string();
  write_file(tidy, tidy_train);
  write_file(notes, "sabbia, 0\r\n");

  const process_result not_description = tool({"fmt", notes, tidy});
  EXPECT_EQ(not_description.status, 65);
  EXPECT_NE(not_description.err.find(notes + ": not a description"),
            std::string::npos)
      << not_description.err;
  EXPECT_EQ(not_description.out, tidy_train);  // the other file still goes

  const process_result absent = tool({"fmt", "--check", missing, notes});
  EXPECT_EQ(absent.status, 66);
  EXPECT_NE(absent.err.find(missing + ": cannot be read: No such file"),
            std::string::npos)
      << absent.err;

  EXPECT_EQ(tool({"fmt", "-w", "--check", tidy}).status, 64);
  EXPECT_EQ(tool({"fmt"}).status, 64);
}

TEST(fmt_command, a_folder_is_reported_and_the_next_file_still_formatted) {
  temp_dir dir;
  const std::string a = (dir / "a.txt").string();
  const std::string b = (dir / "b.txt").string();
  const std::string folder = (dir / "sub").string();
  std::filesystem::create_directory(folder);
  write_file(a, loose_train);
  write_file(b, loose_train);
  const process_result r = tool({"fmt", "-w", a, folder, b});
  EXPECT_EQ(r.status, 66) << r.err;
  EXPECT_NE(r.err.find(folder + ": cannot be read: is a folder"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(read_file(a), tidy_train);
  EXPECT_EQ(read_file(b), tidy_train);
  // Printing and checking go on past it alike.
  const process_result printed = tool({"fmt", folder, b});
  EXPECT_EQ(printed.status, 66);
  EXPECT_EQ(printed.out, tidy_train);
}

TEST(fmt_command, a_file_needs_a_line_that_opens_with_the_general_head) {
  temp_dir dir;
  const struct {
    std::string text;
    int status;
  } cases[] = {
      // Prose that quotes the head, as a README table does.
      {"| 65 | no line opens with \"[generale]\", or a NUL byte |\n", 65},
      {"see [generale] below\r\nsabbia, 0\r\n", 65},
      {"[generale]\r\nsabbia, 0\r\n", 0},
      {"  [GENERALE]  \r\nsabbia, 0\r\n", 0},
      {"-- notes\r\n[generale] -- the records\r\nsabbia, 0\r\n", 0},
  };
  for (const auto& c : cases) {
    const std::string file = (dir / "x.txt").string();
    write_file(file, c.text);
    const process_result r = tool({"fmt", "--check", file});
    EXPECT_EQ(r.status == 1 ? 0 : r.status, c.status) << c.text << r.err;
    EXPECT_EQ(editing::description_problem(c.text).empty(), c.status == 0)
        << c.text;
  }
}

}  // namespace
}  // namespace scenario
