#include "compiler/post_processing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"

namespace scenario {
namespace {

// A line of 1000 m: cells 0 to 160; the pass visits 1 to 158.
constexpr int32_t short_line_m = 1000;

constexpr uint8_t sig = tipo_cella::segnale;
constexpr uint8_t end = tipo_cella::fine_rallentamento;
constexpr uint8_t start = tipo_cella::inizio_rallentamento;
constexpr uint8_t warn = tipo_cella::avviso_rallentamento;
constexpr uint8_t taken = tipo_cella::indicatore_vmax;  // ignored by the pass
constexpr uint8_t marker = tipo_cella::marcatore_galleria;
constexpr uint8_t point = tipo_cella::punto_velocita;

struct cell_setup {
  int64_t i;
  uint8_t tipo;
  int16_t dato1 = 0;
};

struct speed_point {
  int64_t i;
  int16_t dato1 = 180;
};

struct expected_error {
  int code;
  int32_t posizione;
};

struct pass_case {
  const char* name;
  std::vector<cell_setup> cells;
  // Every speed point expected after the pass, old and new.
  std::vector<speed_point> points;
  std::vector<expected_error> errors;
};

class PostProcessingTest : public ::testing::TestWithParam<pass_case> {};

TEST_P(PostProcessingTest, places_exactly_the_expected_points_and_errors) {
  const pass_case& c = GetParam();
  scenario_model m;
  create_cells(m, short_line_m);
  ASSERT_EQ(m.numero_celle, 160);
  for (const cell_setup& s : c.cells) {
    m.celle.at(s.i).tipo = s.tipo;
    m.celle.at(s.i).dato1 = s.dato1;
  }
  std::vector<cella> expected = m.celle;
  for (const speed_point& p : c.points) {
    expected.at(p.i).tipo = point;
    expected.at(p.i).dato1 = p.dato1;
  }

  post_elabora(m);

  ASSERT_EQ(m.celle.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(m.celle[i].tipo, expected[i].tipo) << "cell " << i;
    EXPECT_EQ(m.celle[i].dato1, expected[i].dato1) << "cell " << i;
  }
  ASSERT_EQ(m.diagnostics.size(), c.errors.size());
  for (size_t n = 0; n < c.errors.size(); ++n) {
    EXPECT_EQ(m.diagnostics[n].codice, c.errors[n].code);
    EXPECT_EQ(m.diagnostics[n].posizione, c.errors[n].posizione);
    EXPECT_TRUE(m.diagnostics[n].file.empty());
    EXPECT_EQ(m.diagnostics[n].line, 0);
  }
  if (!c.errors.empty()) {
    EXPECT_EQ(m.codice_errore, c.errors.back().code);
    EXPECT_EQ(m.posizione_errore, c.errors.back().posizione);
  } else {
    EXPECT_EQ(m.codice_errore, 0);
  }
}

std::string case_name(const ::testing::TestParamInfo<pass_case>& info) {
  return info.param.name;
}

// Rule A: signals up to 20 cells before a warning point (warning at 50).
INSTANTIATE_TEST_SUITE_P(
    SignalsBeforeWarning, PostProcessingTest,
    ::testing::Values(
        pass_case{"signal_3_cells_before", {{50, warn}, {47, sig}}, {{46}}, {}},
        pass_case{"marker_counts_as_free",
                  {{50, warn}, {47, sig}, {46, marker}},
                  {{46}},
                  {}},
        pass_case{"existing_point_of_90_kept",
                  {{50, warn}, {47, sig}, {46, point, 90}, {45, taken}},
                  {{46, 90}},
                  {}},
        pass_case{"existing_point_of_200_lowered",
                  {{50, warn}, {47, sig}, {46, point, 200}, {45, taken}},
                  {{46, 180}},
                  {}},
        pass_case{"point_two_before_signal_lowered",
                  {{50, warn}, {47, sig}, {46, taken}, {45, point, 250}},
                  {{45, 180}},
                  {}},
        pass_case{"second_point_when_the_next_cell_is_free",
                  {{50, warn}, {47, sig}, {46, point, 90}},
                  {{45}, {46, 90}},
                  {}},
        pass_case{"every_signal_within_20_cells",
                  {{50, warn}, {47, sig}, {35, sig}, {30, sig}},
                  {{29}, {34}, {46}},
                  {}},
        pass_case{
            "signal_21_cells_back_ignored", {{50, warn}, {29, sig}}, {}, {}},
        pass_case{"look_back_reaches_cell_3", {{5, warn}, {3, sig}}, {{2}}, {}},
        pass_case{
            "look_back_stops_below_cell_3", {{5, warn}, {2, sig}}, {}, {}},
        pass_case{"both_cells_taken_records_11_and_goes_on",
                  {{50, warn}, {47, sig}, {46, taken}, {45, taken}, {40, sig}},
                  {{39}},
                  {{11, 2350}}}),
    case_name);

// Rule B1 to B3: the three windows before a slowdown's start. A slowdown of
// 110 km/h ending in the next cell adds nothing else.
INSTANTIATE_TEST_SUITE_P(
    StartWindows, PostProcessingTest,
    ::testing::Values(
        pass_case{"start_at_7_no_window", {{7, start, 110}, {8, end}}, {}, {}},
        pass_case{
            "start_at_8_first_window", {{8, start, 110}, {9, end}}, {{3}}, {}},
        pass_case{"start_at_14_two_windows",
                  {{14, start, 110}, {15, end}},
                  {{3}, {9}},
                  {}},
        pass_case{"start_at_21_three_windows",
                  {{21, start, 110}, {22, end}},
                  {{3}, {10}, {16}},
                  {}},
        pass_case{"first_cell_taken_uses_second",
                  {{40, start, 110}, {41, end}, {35, taken}},
                  {{22}, {29}, {34}},
                  {}},
        pass_case{"two_cells_taken_uses_third",
                  {{40, start, 110}, {41, end}, {35, taken}, {34, taken}},
                  {{22}, {29}, {33}},
                  {}},
        pass_case{"full_window_records_12_others_still_filled",
                  {{40, start, 110},
                   {41, end},
                   {35, taken},
                   {34, taken},
                   {33, taken}},
                  {{22}, {29}},
                  {{12, 2000}}},
        pass_case{"window_of_speed_points_is_full",
                  {{40, start, 110},
                   {41, end},
                   {35, point, 90},
                   {34, point, 90},
                   {33, point, 90}},
                  {{22}, {29}, {33, 90}, {34, 90}, {35, 90}},
                  {{12, 2000}}},
        pass_case{"marker_in_window_replaced",
                  {{40, start, 110}, {41, end}, {35, marker}},
                  {{22}, {29}, {35}},
                  {}}),
    case_name);

// Rule B4: points every 8 cells along a slowdown below 110 km/h (start 40).
INSTANTIATE_TEST_SUITE_P(
    AlongSlowdown, PostProcessingTest,
    ::testing::Values(
        pass_case{"speed_110_gets_no_points",
                  {{40, start, 110}, {64, end}},
                  {{22}, {29}, {35}},
                  {}},
        pass_case{"speed_100_over_1200_m",
                  {{40, start, 100}, {64, end}},
                  {{22}, {29}, {35}, {48}, {56}, {63}},
                  {}},
        pass_case{"end_in_next_cell_gets_no_points",
                  {{40, start, 50}, {41, end}},
                  {{22}, {29}, {35}},
                  {}},
        pass_case{"point_shifted_back_restarts_count_at_1",
                  {{40, start, 50}, {60, end}, {48, taken}},
                  {{22}, {29}, {35}, {47}, {55}},
                  {}},
        pass_case{"point_shifted_ahead_restarts_count_at_minus_1",
                  {{40, start, 50}, {60, end}, {48, taken}, {47, taken}},
                  {{22}, {29}, {35}, {49}, {57}},
                  {}},
        pass_case{
            "no_room_records_13_and_places_no_more",
            {{40, start, 50}, {70, end}, {47, taken}, {48, taken}, {49, taken}},
            {{22}, {29}, {35}},
            {{13, 2400}}},
        pass_case{
            "no_end_walks_to_the_last_cell",
            {{100, start, 50}},
            {{82}, {89}, {95}, {108}, {116}, {124}, {132}, {140}, {148}, {156}},
            {}},
        pass_case{"point_due_on_the_last_cell_without_room",
                  {{152, start, 50}, {159, taken}, {160, taken}},
                  {{134}, {141}, {147}},
                  {{13, 8000}}},
        pass_case{"walk_runs_past_a_start_to_the_next_end",
                  {{40, start, 50}, {70, start, 50}, {75, end}},
                  {{22}, {29}, {35}, {48}, {52}, {56}, {59}, {64}, {65}, {72}},
                  {}}),
    case_name);

// Rule B5: the first signal within 12 cells of the slowdown's end (50).
INSTANTIATE_TEST_SUITE_P(
    SignalAfterEnd, PostProcessingTest,
    ::testing::Values(
        pass_case{"cell_before_signal_free",
                  {{40, start, 110}, {50, end}, {53, sig}},
                  {{22}, {29}, {35}, {52}},
                  {}},
        pass_case{"cell_before_taken_uses_the_one_before",
                  {{40, start, 110}, {50, end}, {53, sig}, {52, taken}},
                  {{22}, {29}, {35}, {51}},
                  {}},
        pass_case{
            "both_taken_records_13_at_the_end",
            {{40, start, 110}, {50, end}, {53, sig}, {52, taken}, {51, taken}},
            {{22}, {29}, {35}},
            {{13, 2500}}},
        pass_case{"signal_12_cells_after_end_found",
                  {{40, start, 110}, {50, end}, {62, sig}},
                  {{22}, {29}, {35}, {61}},
                  {}},
        pass_case{"signal_13_cells_after_end_ignored",
                  {{40, start, 110}, {50, end}, {63, sig}},
                  {{22}, {29}, {35}},
                  {}},
        pass_case{"only_the_first_signal",
                  {{40, start, 110}, {50, end}, {53, sig}, {56, sig}},
                  {{22}, {29}, {35}, {52}},
                  {}},
        pass_case{"slow_slowdown_looks_from_its_end",
                  {{40, start, 50}, {46, end}, {49, sig}},
                  {{22}, {29}, {35}, {48}},
                  {}},
        // A fast slowdown gets no points along it, yet still looks from its
        // own end: the signal at 70 lies beyond 12 cells of the start.
        pass_case{"fast_slowdown_looks_from_its_own_end",
                  {{40, start, 110}, {60, end}, {70, sig}},
                  {{22}, {29}, {35}, {69}},
                  {}},
        pass_case{"fast_slowdown_without_end_looks_from_the_last_cell",
                  {{150, start, 120}, {160, sig}},
                  {{132}, {139}, {145}, {159}},
                  {}}),
    case_name);

// The visited range and the pass as a whole.
INSTANTIATE_TEST_SUITE_P(
    Pass, PostProcessingTest,
    ::testing::Values(
        pass_case{"cell_159_not_visited_for_start", {{159, start, 50}}, {}, {}},
        pass_case{"cell_159_not_visited_for_warning",
                  {{159, warn}, {156, sig}},
                  {},
                  {}},
        pass_case{
            "cell_158_visited", {{158, start, 110}}, {{140}, {147}, {153}}, {}},
        pass_case{"errors_do_not_stop_the_pass",
                  {{40, start, 110},
                   {41, end},
                   {35, taken},
                   {34, taken},
                   {33, taken},
                   {90, warn},
                   {87, sig},
                   {86, taken},
                   {85, taken},
                   {120, warn},
                   {117, sig}},
                  {{22}, {29}, {116}},
                  {{12, 2000}, {11, 4350}}}),
    case_name);

TEST(PostProcessingEmptyTest, does_nothing_without_cells) {
  scenario_model m;
  post_elabora(m);
  EXPECT_TRUE(m.celle.empty());
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_TRUE(m.diagnostics.empty());
}

}  // namespace
}  // namespace scenario
