// Replays every kept fuzz input (the seed corpora and the inputs of past
// findings) through its target, so that a fault once found stays fixed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/targets.h"
#include "testing/temp_dir.h"

namespace scenario::fuzz {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputs_of(std::string_view kind, std::string_view name) {
  std::vector<fs::path> files;
  const fs::path dir = fs::path(SCENARIO_FUZZ_INPUTS) / kind / name;
  if (!fs::is_directory(dir)) return files;
  for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
    if (e.is_regular_file()) files.push_back(e.path());
  }
  return files;
}

TEST(fuzz_replay, every_seed_and_regression_input_keeps_every_invariant) {
  for (const target& t : all_targets()) {
    // A target without seeds would replay nothing and pass unseen.
    EXPECT_FALSE(inputs_of("corpus", t.name).empty()) << t.name;
    for (std::string_view kind : {"corpus", "regressions"}) {
      for (const fs::path& file : inputs_of(kind, t.name)) {
        EXPECT_EQ(t.run(scenario::testing::read_file(file)), "") << file;
      }
    }
  }
}

TEST(fuzz_replay, inputs_split_at_the_first_nul_byte) {
  using namespace std::string_literals;
  const std::string input = "line\0train\0more"s;
  const split_input both = split_at_nul(input);
  EXPECT_EQ(both.first, "line");
  ASSERT_TRUE(both.second);
  EXPECT_EQ(*both.second, "train\0more"s);
  const split_input one = split_at_nul("line only");
  EXPECT_EQ(one.first, "line only");
  EXPECT_FALSE(one.second);
}

TEST(fuzz_replay, lines_are_counted_as_the_reader_counts_them) {
  const struct {
    std::string_view text;
    int lines;
  } cases[] = {
      {"", 1},        {"a", 1},    {"a\r\nb", 2}, {"a\nb\rc", 3},
      {"a\r\r\n", 3}, {"\n\n", 3}, {"\r", 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_lines(c.text).count(), c.lines) << c.text;
  }
}

TEST(fuzz_replay, a_line_is_found_by_its_number_without_its_line_end) {
  const struct {
    std::string_view text;
    int n;
    std::string_view line;
  } cases[] = {
      {"a\r\nb\nc\rd", 1, "a"}, {"a\r\nb\nc\rd", 2, "b"},
      {"a\r\nb\nc\rd", 4, "d"}, {"a\r\r\nb", 2, ""},
      {"a\r\r\nb", 3, "b"},     {"a\n", 2, ""},
      {"a\n", 5, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_lines(c.text).line(c.n), c.line)
        << c.text << " line " << c.n;
  }
}

TEST(fuzz_replay, only_line_lengths_within_the_accepted_are_clamped) {
  const std::string bound = std::to_string(fuzz_line_length_bound_m);
  const std::string above = std::to_string(fuzz_line_length_bound_m + 1);
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"lunghezza percorso, " + bound + "\r\n",
       "lunghezza percorso, " + bound + "\r\n"},
      {"lunghezza percorso,   " + above + "  \r\n",
       "lunghezza percorso,   " + bound + "  \r\n"},
      {"LUNGHEZZA PERCORSO, +1000000\n",
       "LUNGHEZZA PERCORSO, +" + bound + "\n"},
      // Refused lengths stay: they are refused without a plan.
      {"lunghezza percorso, 1000001\r", "lunghezza percorso, 1000001\r"},
      {"lunghezza percorso, -99999", "lunghezza percorso, -99999"},
      // Other records keep their numbers.
      {"segnale, 99999, 1\r\n", "segnale, 99999, 1\r\n"},
      {"[generale]\r\nlunghezza percorso, 99500\r\n[fine]",
       "[generale]\r\nlunghezza percorso, " + bound + "\r\n[fine]"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(clamp_line_lengths(c.in), c.out) << c.in;
  }
}

}  // namespace
}  // namespace scenario::fuzz
