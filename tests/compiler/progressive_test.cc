#include "compiler/progressive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "compiler/run_time_failure.h"
#include "model/model.h"

namespace scenario {
namespace {

struct triple {
  int32_t first = 0;
  int32_t second = 0;
  int32_t third = 0;
  bool operator==(const triple&) const = default;
};

std::ostream& operator<<(std::ostream& os, const triple& t) {
  return os << "(" << t.first << ", " << t.second << ", " << t.third << ")";
}

// The three references in slot order "tre", "due", "uno".
struct references {
  triple tre;
  triple due;
  triple uno;
};

void store(scenario_model& m, int entry, const triple& t) {
  m.voci[entry].inizio = t.first;
  m.voci[entry].fine = t.second;
  m.voci[entry].posizione = t.third;
}

triple load(const scenario_model& m, int entry) {
  return {m.voci[entry].inizio, m.voci[entry].fine, m.voci[entry].posizione};
}

struct ordering_case {
  const char* name;
  references given;
  references expected;
};

class ProgressiveOrderTest : public ::testing::TestWithParam<ordering_case> {};

TEST_P(ProgressiveOrderTest, references_end_in_their_slots) {
  const ordering_case& c = GetParam();
  scenario_model m;
  store(m, voce_index::progressiva_tre, c.given.tre);
  store(m, voce_index::progressiva_due, c.given.due);
  store(m, voce_index::progressiva_uno, c.given.uno);
  progressive_ordina(m);
  EXPECT_EQ(load(m, voce_index::progressiva_tre), c.expected.tre);
  EXPECT_EQ(load(m, voce_index::progressiva_due), c.expected.due);
  EXPECT_EQ(load(m, voce_index::progressiva_uno), c.expected.uno);
}

const triple a{3000, 31, 0};
const triple b{2000, 22, 0};
const triple c{1000, 13, 0};
const triple z{};

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressiveOrderTest,
    ::testing::Values(
        ordering_case{"all_zero", {z, z, z}, {z, z, z}},
        ordering_case{"example_with_adjustment",
                      {{2000, 0, 0}, {3000, 0, 0}, {1000, 500, 1}},
                      {{3000, 0, 0}, {2000, 0, 0}, {1000, 600, 1}}},
        // Ordering by the first number: every row of the table.
        ordering_case{"tre_largest_due_next", {a, b, c}, {a, b, c}},
        ordering_case{"tre_largest_uno_next", {a, c, b}, {a, b, c}},
        ordering_case{"due_largest_tre_next", {b, a, c}, {a, b, c}},
        ordering_case{"due_largest_uno_next", {c, a, b}, {a, b, c}},
        ordering_case{"uno_largest_tre_next", {b, c, a}, {a, b, c}},
        ordering_case{"uno_largest_due_next", {c, b, a}, {a, b, c}},
        // Ties below the largest: "due" takes the one named first.
        ordering_case{"tre_largest_tie_prefers_uno",
                      {a, {1000, 1, 0}, {1000, 2, 0}},
                      {a, {1000, 2, 0}, {1000, 1, 0}}},
        ordering_case{"due_largest_tie_prefers_uno",
                      {{1000, 1, 0}, a, {1000, 2, 0}},
                      {a, {1000, 2, 0}, {1000, 1, 0}}},
        ordering_case{"uno_largest_tie_prefers_due",
                      {{1000, 1, 0}, {1000, 2, 0}, a},
                      {a, {1000, 2, 0}, {1000, 1, 0}}},
        // No strictly greatest first number: everything becomes 0, the
        // adjustment included.
        ordering_case{"tie_for_largest_zeroes_all",
                      {{500, 7, 1}, {2000, 8, 1}, {2000, 9, 1}},
                      {z, z, z}},
        ordering_case{"three_way_tie_zeroes_all",
                      {{1000, 7, 1}, {1000, 8, 0}, {1000, 9, 2}},
                      {z, z, z}},
        // Ordering by the second number.
        ordering_case{"uno_second_positive",
                      {{0, 700, 0}, z, {0, 300, 1}},
                      {{0, 400, 1}, z, {0, 700, 0}}},
        ordering_case{"first_numbers_cancel_out",
                      {{500, 0, 0}, {-500, 0, 0}, {0, 300, 0}},
                      {{0, 300, 0}, {-500, 0, 0}, {500, 0, 0}}},
        ordering_case{"due_second_positive",
                      {{0, 100, 0}, {0, 200, 0}, {0, -5, 0}},
                      {{0, 200, 0}, {0, 100, 0}, {0, -5, 0}}},
        ordering_case{"tre_second_positive_stays",
                      {{0, 100, 1}, {0, 0, 1}, {0, -5, 0}},
                      {{0, 200, 1}, {0, 100, 1}, {0, -5, 0}}},
        ordering_case{"no_second_positive_zeroes_all",
                      {{0, -100, 1}, {0, 0, 1}, {0, -5, 3}},
                      {z, z, z}},
        // The adjustment: only a third number of exactly 1 adds 100 m.
        ordering_case{"third_number_2_adds_nothing",
                      {{3000, 500, 2}, {2000, 500, 1}, {1000, 30, 1}},
                      {{3000, 500, 2}, {2000, 600, 1}, {1000, 130, 1}}}),
    [](const ::testing::TestParamInfo<ordering_case>& info) {
      return std::string(info.param.name);
    });

TEST(ProgressiveTest, adjustment_leaving_32_bits_fails_with_nothing_written) {
  scenario_model m;
  const int32_t top = std::numeric_limits<int32_t>::max();
  store(m, voce_index::progressiva_tre, {1000, 0, 0});
  store(m, voce_index::progressiva_due, {3000, top, 1});
  store(m, voce_index::progressiva_uno, {2000, 0, 0});
  EXPECT_THROW(progressive_ordina(m), run_time_failure);
  EXPECT_EQ(load(m, voce_index::progressiva_tre), (triple{1000, 0, 0}));
  EXPECT_EQ(load(m, voce_index::progressiva_due), (triple{3000, top, 1}));
  EXPECT_EQ(load(m, voce_index::progressiva_uno), (triple{2000, 0, 0}));
}

TEST(ProgressiveTest, sum_of_large_first_numbers_is_tested_exactly) {
  // These first numbers add up to 2^32, which a 32-bit total would wrap to
  // 0 and so send down the ordering by the second number.
  scenario_model m;
  store(m, voce_index::progressiva_tre, {2147483647, 0, 0});
  store(m, voce_index::progressiva_due, {2147483647, 0, 0});
  store(m, voce_index::progressiva_uno, {2, 50, 0});
  progressive_ordina(m);  // exact sum is not 0; tie for largest zeroes all
  EXPECT_EQ(load(m, voce_index::progressiva_tre), (triple{}));
  EXPECT_EQ(load(m, voce_index::progressiva_due), (triple{}));
  EXPECT_EQ(load(m, voce_index::progressiva_uno), (triple{}));
}

TEST(ProgressiveTest, other_entries_are_left_alone) {
  scenario_model m;
  m.voci[80].inizio = 5;
  m.voci[84].fine = 99500;
  m.voci[81].nome = "kept";
  store(m, voce_index::progressiva_tre, {1000, 0, 0});
  progressive_ordina(m);
  EXPECT_EQ(m.voci[80].inizio, 5);
  EXPECT_EQ(m.voci[84].fine, 99500);
  EXPECT_EQ(m.voci[81].nome, "kept");
}

}  // namespace
}  // namespace scenario
