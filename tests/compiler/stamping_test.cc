#include "compiler/stamping.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "compiler/run_time_failure.h"
#include "model/model.h"

namespace scenario {
namespace {

constexpr int32_t route_length_m = 99500;  // cells 0 to 2130

bool same_cell(const cella& a, const cella& b) {
  return a.tipo == b.tipo && a.dato1 == b.dato1 && a.dato2 == b.dato2 &&
         a.dato3 == b.dato3 && a.dato4 == b.dato4 && a.tempo == b.tempo &&
         a.avviso == b.avviso && a.montagna == b.montagna &&
         a.velocita_limite == b.velocita_limite && a.pendenza == b.pendenza &&
         a.aderenza == b.aderenza;
}

// Every cell not named in `changed` must be as it was.
void expect_unchanged_except(const std::vector<cella>& before,
                             const std::vector<cella>& after,
                             const std::set<int64_t>& changed = {}) {
  ASSERT_EQ(before.size(), after.size());
  for (size_t i = 0; i < before.size(); ++i) {
    if (changed.count(static_cast<int64_t>(i)) != 0) continue;
    EXPECT_TRUE(same_cell(before[i], after[i])) << "cell " << i << " changed";
  }
}

class StampingTest : public ::testing::Test {
 protected:
  StampingTest() { create_cells(m, route_length_m); }

  cella& at(int64_t i) { return m.celle.at(static_cast<size_t>(i)); }

  // Marks a cell as taken by an object that no stamp touches otherwise.
  void occupy(int64_t i) { at(i).tipo = tipo_cella::cartello_indicatore; }

  void signal(int32_t posizione, int32_t sx, int32_t s1, int32_t s2,
              int32_t tempo = 0) {
    memo_segnale(m, posizione, sx, s1, s2, 0, 0, 0, 0, 0, 0, tempo);
  }

  void board(int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
             int32_t strisces) {
    memo_indicatori_v_max(m, posizione, vas, vbs, vcs, strisces, 0, 0, 0, 0);
  }

  scenario_model m;
};

// --- cell index of a position ---

struct cell_case {
  int32_t p;
  int64_t cell;
};

class OrdinaryCellTest : public ::testing::TestWithParam<cell_case> {};

TEST_P(OrdinaryCellTest, rounds_position_over_50_plus_1_half_to_even) {
  EXPECT_EQ(ordinary_cell(GetParam().p), GetParam().cell);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, OrdinaryCellTest,
    ::testing::Values(cell_case{0, 1}, cell_case{850, 18},
                      cell_case{20600, 413}, cell_case{24, 1}, cell_case{25, 2},
                      cell_case{26, 2}, cell_case{75, 2}, cell_case{125, 4},
                      cell_case{175, 4}, cell_case{-50, 0}, cell_case{-75, 0},
                      cell_case{-76, -1}, cell_case{-125, -2},
                      cell_case{2147483647, 42949674}));

// --- tunnels ---

TEST_F(StampingTest, short_tunnel_with_markers_covers_two_cells_and_no_marker) {
  memo_montagna(m, 3650, 3750, 12);
  EXPECT_EQ(at(73).montagna, 2);
  EXPECT_EQ(at(74).montagna, 2);
  EXPECT_EQ(at(72).montagna, 0);
  EXPECT_EQ(at(75).montagna, 0);
  for (int64_t i = 0; i <= m.numero_celle; ++i) EXPECT_EQ(at(i).tipo, 0);
  EXPECT_EQ(m.numero_montagne, 1);
  EXPECT_EQ(m.inizio_montagne[1], 3650);
  EXPECT_EQ(m.fine_montagne[1], 3750);
}

// The span's last cell is fine / 50 - 1 rounded as a whole, which is always
// two below the ordinary cell of `fine`, also when fine / 50 ends in .5.
TEST_F(StampingTest, tunnel_span_ends_two_below_the_ordinary_cell_of_its_end) {
  struct span_case {
    int32_t inizio;
    int32_t fine;
    int64_t first;
    int64_t last;
  };
  const span_case cases[] = {
      {1000, 1400, 20, 27},                        // multiples of 50
      {1000, 1425, 20, 28},                        // 27.5 rounds to 28
      {1000, 1450, 20, 28}, {1000, 1475, 20, 28},  // 28.5 rounds to 28
      {1025, 1525, 20, 30},  // 20.5 rounds to 20, 29.5 to 30
      {1075, 1575, 22, 30},  // 21.5 rounds to 22, 30.5 to 30
  };
  for (const span_case& c : cases) {
    SCOPED_TRACE(std::to_string(c.inizio) + " to " + std::to_string(c.fine));
    scenario_model fresh;
    create_cells(fresh, route_length_m);
    memo_montagna(fresh, c.inizio, c.fine, 1);
    EXPECT_EQ(c.last, ordinary_cell(c.fine) - 2);
    for (int64_t i = c.first - 2; i <= c.last + 2; ++i) {
      const bool in_span = i >= c.first && i <= c.last;
      EXPECT_EQ(fresh.celle[static_cast<size_t>(i)].montagna, in_span ? 1 : 0)
          << "cell " << i;
    }
  }
}

TEST_F(StampingTest, long_tunnel_places_a_marker_on_every_fourth_cell) {
  memo_montagna(m, 49750, 57750, 11);
  std::vector<int64_t> markers;
  for (int64_t i = 0; i <= m.numero_celle; ++i) {
    const bool in_span = i >= 995 && i <= 1154;
    EXPECT_EQ(at(i).montagna, in_span ? 1 : 0) << "cell " << i;
    if (at(i).tipo == tipo_cella::marcatore_galleria) markers.push_back(i);
  }
  ASSERT_EQ(markers.size(), 40u);
  for (size_t n = 0; n < markers.size(); ++n) {
    EXPECT_EQ(markers[n], 998 + 4 * static_cast<int64_t>(n));
  }
  EXPECT_EQ(m.codice_errore, 0);
}

struct tunnel_kind_case {
  int32_t tipo;
  uint8_t montagna;
  bool markers;
};

class TunnelKindTest : public StampingTest,
                       public ::testing::WithParamInterface<tunnel_kind_case> {
};

TEST_P(TunnelKindTest, kind_above_10_means_kind_minus_10_with_markers) {
  const tunnel_kind_case& c = GetParam();
  memo_montagna(m, 1000, 1400, c.tipo);  // cells 20 to 27
  for (int64_t i = 20; i <= 27; ++i) EXPECT_EQ(at(i).montagna, c.montagna);
  const uint8_t marker = c.markers ? tipo_cella::marcatore_galleria : 0;
  EXPECT_EQ(at(23).tipo, marker);
  EXPECT_EQ(at(27).tipo, marker);
  EXPECT_EQ(at(24).tipo, 0);
  EXPECT_EQ(at(19).montagna, 0);
  EXPECT_EQ(at(28).montagna, 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, TunnelKindTest,
                         ::testing::Values(tunnel_kind_case{12, 2, true},
                                           tunnel_kind_case{2, 2, false},
                                           tunnel_kind_case{11, 1, true},
                                           tunnel_kind_case{1, 1, false}));

struct tunnel_gap_case {
  int32_t inizio;  // the previous tunnel runs from 11450 to 11700 m
  uint8_t montagna;
};

class TunnelGapTest : public StampingTest,
                      public ::testing::WithParamInterface<tunnel_gap_case> {};

TEST_P(TunnelGapTest, tunnel_within_150_m_of_the_previous_becomes_kind_3) {
  const tunnel_gap_case& c = GetParam();
  memo_montagna(m, 11450, 11700, 1);
  memo_montagna(m, c.inizio, c.inizio + 750, 11);
  const int64_t first = div_round_even(c.inizio, 50);
  EXPECT_EQ(at(first).montagna, c.montagna);
  EXPECT_EQ(at(first + 14).montagna, c.montagna);
  // The marker switch is kept whatever the kind becomes.
  EXPECT_EQ(at(first + 3).tipo, tipo_cella::marcatore_galleria);
  EXPECT_EQ(m.numero_montagne, 2);
}

INSTANTIATE_TEST_SUITE_P(Gaps, TunnelGapTest,
                         ::testing::Values(tunnel_gap_case{11800, 3},  // 100 m
                                           tunnel_gap_case{11850, 3},  // 150 m
                                           tunnel_gap_case{11851, 1},  // 151 m
                                           tunnel_gap_case{11600,
                                                           3}));  // overlap

TEST_F(StampingTest,
       gap_is_measured_from_the_previous_tunnel_in_stamping_order) {
  memo_montagna(m, 20000, 21000, 1);
  memo_montagna(m, 5000, 6000, 1);  // far before: gap negative, so kind 3
  memo_montagna(m, 6100, 7000, 2);  // 100 m after the previous record
  EXPECT_EQ(at(100).montagna, 3);
  EXPECT_EQ(at(122).montagna, 3);
}

TEST_F(StampingTest, marker_never_replaces_an_object_already_in_the_cell) {
  signal(49850, 1, 4, 1);  // cell 998, the first marker cell
  const cella signal_cell = at(998);
  memo_montagna(m, 49750, 57750, 11);
  EXPECT_EQ(at(998).tipo, tipo_cella::segnale);
  EXPECT_EQ(at(998).dato1, signal_cell.dato1);
  EXPECT_EQ(at(998).montagna, 1);  // the tunnel layer is still written
  EXPECT_EQ(at(1002).tipo, tipo_cella::marcatore_galleria);
}

TEST_F(StampingTest, later_objects_replace_tunnel_markers) {
  memo_montagna(m, 49750, 57750, 11);
  signal(49850, 1, 4, 1);                          // cell 998
  board(50050, 90, 95, 95, 0);                     // cell 1002
  memo_rallentamento(m, 50250, 60, 200, 1, 0, 0);  // start 1006, end 1010
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(at(998).tipo, tipo_cella::segnale);
  EXPECT_EQ(at(1002).tipo, tipo_cella::indicatore_vmax);
  EXPECT_EQ(at(1006).tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(at(1010).tipo, tipo_cella::fine_rallentamento);
  EXPECT_EQ(at(1006).montagna, 1);
}

TEST_F(StampingTest, span_ending_before_it_starts_writes_no_cell) {
  const std::vector<cella> before = m.celle;
  memo_montagna(m, 1000, 1000, 11);
  memo_montagna(m, 3000, 1000, 1);
  expect_unchanged_except(before, m.celle);
  EXPECT_EQ(m.numero_montagne, 2);
  EXPECT_EQ(m.inizio_montagne[2], 3000);
  EXPECT_EQ(m.fine_montagne[2], 1000);
}

TEST_F(StampingTest, eighty_first_tunnel_fails_before_touching_list_or_cells) {
  for (int32_t n = 0; n < max_tunnels; ++n) {
    memo_montagna(m, n * 1000, n * 1000 + 500, 1);
  }
  EXPECT_EQ(m.numero_montagne, 80);
  const auto starts = m.inizio_montagne;
  const auto ends = m.fine_montagne;
  const std::vector<cella> before = m.celle;
  EXPECT_THROW(memo_montagna(m, 90000, 91000, 11), run_time_failure);
  EXPECT_EQ(m.numero_montagne, 80);
  EXPECT_EQ(m.inizio_montagne, starts);
  EXPECT_EQ(m.fine_montagne, ends);
  expect_unchanged_except(before, m.celle);
}

TEST_F(StampingTest, tunnel_past_the_last_cell_fails_after_the_cells_inside) {
  const std::vector<cella> before = m.celle;
  EXPECT_THROW(memo_montagna(m, 106000, 107000, 11), run_time_failure);
  ASSERT_EQ(m.celle.size(), 2131u);
  EXPECT_EQ(m.numero_celle, 2130);
  std::set<int64_t> span;
  for (int64_t i = 2120; i <= 2130; ++i) {
    EXPECT_EQ(at(i).montagna, 1) << "cell " << i;
    span.insert(i);
  }
  expect_unchanged_except(before, m.celle, span);
  EXPECT_EQ(m.numero_montagne, 1);
}

TEST_F(StampingTest, tunnel_starting_below_cell_0_fails_with_nothing_written) {
  const std::vector<cella> before = m.celle;
  EXPECT_THROW(memo_montagna(m, -500, 500, 1), run_time_failure);
  expect_unchanged_except(before, m.celle);
}

// --- slowdowns ---

TEST_F(StampingTest, slowdown_stamps_warning_start_end_and_approach_cells) {
  for (int64_t i : {73, 74, 75, 76, 77, 101, 121}) at(i).dato2 = 777;
  memo_rallentamento(m, 5000, 60, 1000, 1, 1, 0);
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(at(77).tipo, tipo_cella::avviso_rallentamento);
  EXPECT_EQ(at(77).dato1, 60);
  EXPECT_EQ(at(77).dato3, 0);  // the warning never receives f_tt
  EXPECT_EQ(at(101).tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(at(101).dato1, 60);
  EXPECT_EQ(at(101).dato3, 1);
  EXPECT_EQ(at(121).tipo, tipo_cella::fine_rallentamento);
  EXPECT_EQ(at(121).dato1, 60);
  EXPECT_EQ(at(121).dato3, 1);
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(at(76 - j).tipo, tipo_cella::preavviso_rallentamento);
    EXPECT_EQ(at(76 - j).dato1, j + 1);
  }
  // With no second speed, dato2 is left as it was.
  for (int64_t i : {73, 74, 75, 76, 77, 101, 121}) EXPECT_EQ(at(i).dato2, 777);
}

TEST_F(StampingTest, second_speed_goes_to_dato2_and_approach_ordinals) {
  memo_rallentamento(m, 5000, 60, 1000, 1, 1, 40);
  EXPECT_EQ(at(77).dato2, 40);
  EXPECT_EQ(at(101).dato2, 40);
  EXPECT_EQ(at(121).dato2, 40);
  for (int j = 0; j < 4; ++j) EXPECT_EQ(at(76 - j).dato2, j + 1);
}

TEST_F(StampingTest, approach_switch_off_writes_no_approach_cells) {
  memo_rallentamento(m, 5000, 60, 1000, 1, 0, 0);
  EXPECT_EQ(at(77).tipo, tipo_cella::avviso_rallentamento);
  for (int64_t i = 73; i <= 76; ++i) EXPECT_EQ(at(i).tipo, 0);
}

TEST_F(StampingTest, slowdown_at_1500_m_has_no_warning_and_ignores_its_cells) {
  // The cells where the warning and approach would go are taken.
  for (int64_t i = 3; i <= 7; ++i) occupy(i);
  const std::vector<cella> before = m.celle;
  memo_rallentamento(m, 1500, 60, 500, 1, 1, 0);
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(at(31).tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(at(41).tipo, tipo_cella::fine_rallentamento);
  expect_unchanged_except(before, m.celle, {31, 41});
}

TEST_F(StampingTest, slowdown_just_above_1500_m_checks_its_warning_cell) {
  occupy(7);  // warning cell of 1501 m
  memo_rallentamento(m, 1501, 60, 500, 1, 1, 0);
  EXPECT_EQ(m.codice_errore, 17);
}

TEST_F(StampingTest, slowdown_whose_start_and_end_share_a_cell_is_a_start) {
  memo_rallentamento(m, 5000, 60, 20, 7, 0, 0);
  EXPECT_EQ(at(101).tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(at(101).dato1, 60);
  EXPECT_EQ(at(101).dato3, 7);
  for (int64_t i = 0; i <= m.numero_celle; ++i) {
    EXPECT_NE(at(i).tipo, tipo_cella::fine_rallentamento);
  }
}

struct slowdown_conflict_case {
  int64_t taken;  // cell occupied before the slowdown at 5000 m
  int32_t code;
};

class SlowdownConflictTest
    : public StampingTest,
      public ::testing::WithParamInterface<slowdown_conflict_case> {};

TEST_P(SlowdownConflictTest, conflict_on_own_cell_writes_nothing) {
  occupy(GetParam().taken);
  const std::vector<cella> before = m.celle;
  memo_rallentamento(m, 5000, 60, 1000, 1, 1, 40);
  EXPECT_EQ(m.codice_errore, GetParam().code);
  expect_unchanged_except(before, m.celle);
}

INSTANTIATE_TEST_SUITE_P(Cells, SlowdownConflictTest,
                         ::testing::Values(slowdown_conflict_case{77, 17},
                                           slowdown_conflict_case{101, 18},
                                           slowdown_conflict_case{121, 19}));

TEST_F(StampingTest, conflict_checks_run_warning_start_end_in_order) {
  occupy(101);
  occupy(121);
  memo_rallentamento(m, 5000, 60, 1000, 1, 1, 0);
  EXPECT_EQ(m.codice_errore, 18);
}

TEST_F(StampingTest, taken_approach_cell_fails_with_20_leaving_own_cells) {
  occupy(74);
  const std::vector<cella> before = m.celle;
  memo_rallentamento(m, 5000, 60, 1000, 1, 1, 0);
  EXPECT_EQ(m.codice_errore, 20);
  EXPECT_EQ(at(77).tipo, tipo_cella::avviso_rallentamento);
  EXPECT_EQ(at(101).tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(at(101).dato3, 1);
  EXPECT_EQ(at(121).tipo, tipo_cella::fine_rallentamento);
  expect_unchanged_except(before, m.celle, {77, 101, 121});
}

TEST_F(StampingTest,
       slowdown_ending_past_the_last_cell_fails_with_nothing_written) {
  const std::vector<cella> before = m.celle;
  EXPECT_THROW(memo_rallentamento(m, 105000, 60, 2000, 1, 1, 0),
               run_time_failure);
  EXPECT_EQ(m.numero_celle, 2130);
  expect_unchanged_except(before, m.celle);
}

TEST_F(StampingTest, slowdown_length_that_overflows_32_bits_fails_cleanly) {
  const std::vector<cella> before = m.celle;
  EXPECT_THROW(memo_rallentamento(m, 5000, 60, 2147483647, 1, 1, 0),
               run_time_failure);
  expect_unchanged_except(before, m.celle);
}

TEST_F(StampingTest, slowdown_at_negative_position_fails_with_nothing_written) {
  const std::vector<cella> before = m.celle;
  EXPECT_THROW(memo_rallentamento(m, -100, 60, 500, 1, 1, 0), run_time_failure);
  expect_unchanged_except(before, m.celle);
}

// --- signals ---

struct signal_case {
  int32_t sx;
  int16_t dato4;
  uint8_t first_marker;
};

class SignalExampleTest : public StampingTest,
                          public ::testing::WithParamInterface<signal_case> {};

TEST_P(SignalExampleTest, signal_packs_values_and_marks_approach_cells) {
  const signal_case& c = GetParam();
  signal(20600, c.sx, 4, 1);
  EXPECT_EQ(m.codice_errore, 0);
  const cella& s = at(413);
  EXPECT_EQ(s.tipo, tipo_cella::segnale);
  EXPECT_EQ(s.dato1, 40);
  EXPECT_EQ(s.dato2, 10);
  EXPECT_EQ(s.dato3, 0);
  EXPECT_EQ(s.dato4, c.dato4);
  EXPECT_EQ(s.tempo, 0);
  for (int b = 1; b <= 4; ++b) {
    EXPECT_EQ(at(413 - 2 * b).avviso, c.first_marker + b - 1);
    EXPECT_EQ(at(413 - 2 * b).tipo, 0);
    EXPECT_EQ(at(413 - 2 * b + 1).avviso, 0);
  }
  EXPECT_EQ(at(403).avviso, 0);
}

INSTANTIATE_TEST_SUITE_P(Sides, SignalExampleTest,
                         ::testing::Values(signal_case{2, 6, 61},
                                           signal_case{1, 3, 31}));

TEST_F(StampingTest, signal_packs_right_side_as_units_digit) {
  memo_segnale(m, 20600, 1, 4, 1, 2, 5, 1, 3, 2, 1, 0);
  EXPECT_EQ(at(413).dato1, 43);
  EXPECT_EQ(at(413).dato2, 12);
  EXPECT_EQ(at(413).dato3, 21);
  EXPECT_EQ(at(413).dato4, 54);  // 5 x 10 + 1 x 3 + 1
  EXPECT_EQ(at(411).avviso, 41);
}

struct tempo_case {
  int32_t sx;
  int32_t tempo;
  uint8_t stored;
};

class SignalTempoTest : public StampingTest,
                        public ::testing::WithParamInterface<tempo_case> {};

TEST_P(SignalTempoTest, tempo_is_kept_only_for_left_kind_2) {
  signal(20600, GetParam().sx, 4, 1, GetParam().tempo);
  EXPECT_EQ(at(413).tempo, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SignalTempoTest,
    ::testing::Values(tempo_case{2, 50, 101}, tempo_case{2, 1, 101},
                      tempo_case{2, 100, 101}, tempo_case{2, 0, 0},
                      tempo_case{2, 101, 101}, tempo_case{2, 150, 150},
                      tempo_case{2, -1, 255}, tempo_case{2, 300, 44},
                      tempo_case{1, 50, 0}, tempo_case{1, 150, 0},
                      tempo_case{0, 50, 0}));

TEST_F(StampingTest, packed_signal_values_wrap_to_their_field_width) {
  memo_segnale(m, 20600, 9, 4000, 0, 0, 3300, 0, 0, 0, 0, 0);
  EXPECT_EQ(at(413).dato1, -25536);  // 40000 in 16 bits
  EXPECT_EQ(at(413).dato4, -32509);  // 33027 in 16 bits
  EXPECT_EQ(at(411).avviso, 15);     // 271 in 8 bits
}

TEST_F(StampingTest, approach_markers_ignore_what_the_cells_hold) {
  board(20500, 90, 95, 95, 0);  // cell 411
  signal(20600, 2, 4, 1);
  EXPECT_EQ(at(411).tipo, tipo_cella::indicatore_vmax);
  EXPECT_EQ(at(411).avviso, 61);
  // A later signal two cells on rewrites the shared marker cells.
  signal(20700, 1, 4, 1);  // cell 415
  EXPECT_EQ(at(413).avviso, 31);
  EXPECT_EQ(at(411).avviso, 32);
  EXPECT_EQ(at(409).avviso, 33);
  EXPECT_EQ(at(407).avviso, 34);
  EXPECT_EQ(at(405).avviso, 64);
  EXPECT_EQ(at(413).tipo, tipo_cella::segnale);
}

TEST_F(StampingTest, second_signal_on_a_cell_fails_with_16_and_writes_nothing) {
  signal(20600, 2, 4, 1);
  const std::vector<cella> before = m.celle;
  signal(20600, 1, 7, 7, 50);
  EXPECT_EQ(m.codice_errore, 16);
  expect_unchanged_except(before, m.celle);
}

TEST_F(StampingTest,
       signal_below_325_m_fails_at_the_first_marker_below_cell_0) {
  const std::vector<cella> before = m.celle;
  EXPECT_THROW(signal(300, 2, 4, 1), run_time_failure);  // cell 7
  EXPECT_EQ(m.celle.size(), 2131u);
  EXPECT_EQ(at(7).tipo, tipo_cella::segnale);
  EXPECT_EQ(at(5).avviso, 61);
  EXPECT_EQ(at(3).avviso, 62);
  EXPECT_EQ(at(1).avviso, 63);
  expect_unchanged_except(before, m.celle, {7, 5, 3, 1});
}

TEST_F(StampingTest, signal_at_325_m_still_fits_its_markers) {
  signal(325, 2, 4, 1);  // 7.5 rounds to cell 8
  EXPECT_EQ(at(8).tipo, tipo_cella::segnale);
  EXPECT_EQ(at(0).avviso, 64);
}

TEST_F(StampingTest, signal_at_negative_cell_fails_with_nothing_written) {
  const std::vector<cella> before = m.celle;
  EXPECT_THROW(signal(-100, 2, 4, 1), run_time_failure);
  expect_unchanged_except(before, m.celle);
}

// --- maximum-speed boards ---

TEST_F(StampingTest, board_packs_speed_pairs_and_stripes) {
  board(850, 90, 95, 95, 0);
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(at(18).tipo, tipo_cella::indicatore_vmax);
  EXPECT_EQ(at(18).dato1, 1800);
  EXPECT_EQ(at(18).dato2, 1900);
  EXPECT_EQ(at(18).dato3, 1900);
  EXPECT_EQ(at(18).dato4, 0);
  board(35100, 90, 95, 95, 2);
  EXPECT_EQ(at(703).tipo, tipo_cella::indicatore_vmax);
  EXPECT_EQ(at(703).dato4, 20);
}

struct pair_case {
  int32_t vs;
  int32_t vd;
  int16_t value;
};

class BoardPairTest : public StampingTest,
                      public ::testing::WithParamInterface<pair_case> {};

TEST_P(BoardPairTest, pair_is_left_times_20_plus_right_over_5_rounded) {
  const pair_case& c = GetParam();
  memo_indicatori_v_max(m, 850, c.vs, c.vs, c.vs, 1, c.vd, c.vd, c.vd, 3);
  EXPECT_EQ(at(18).dato1, c.value);
  EXPECT_EQ(at(18).dato2, c.value);
  EXPECT_EQ(at(18).dato3, c.value);
  EXPECT_EQ(at(18).dato4, 13);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, BoardPairTest,
    ::testing::Values(pair_case{90, 0, 1800}, pair_case{90, 2, 1800},
                      pair_case{90, 3, 1801}, pair_case{90, 7, 1801},
                      pair_case{90, 80, 1816}, pair_case{90, -3, 1799},
                      pair_case{0, -3, -1}, pair_case{0, -2, 0},
                      pair_case{1638, 35, 32767},
                      pair_case{-1638, -40, -32768}));

TEST_F(StampingTest, board_on_a_signal_fails_with_21_and_writes_nothing) {
  signal(850, 2, 4, 1);
  const std::vector<cella> before = m.celle;
  board(850, 90, 95, 95, 2);
  EXPECT_EQ(m.codice_errore, 21);
  expect_unchanged_except(before, m.celle);
}

TEST_F(StampingTest, board_pair_outside_16_bits_fails_after_earlier_writes) {
  const std::vector<cella> before = m.celle;
  EXPECT_THROW(memo_indicatori_v_max(m, 850, 90, -1700, 95, 2, 0, 0, 0, 0),
               run_time_failure);
  EXPECT_EQ(at(18).tipo, tipo_cella::indicatore_vmax);
  EXPECT_EQ(at(18).dato1, 1800);
  EXPECT_EQ(at(18).dato2, 0);
  EXPECT_EQ(at(18).dato3, 0);
  EXPECT_EQ(at(18).dato4, 0);
  expect_unchanged_except(before, m.celle, {18});
}

TEST_F(StampingTest, first_board_pair_just_outside_16_bits_fails) {
  EXPECT_THROW(memo_indicatori_v_max(m, 850, 1638, 0, 0, 0, 40, 0, 0, 0),
               run_time_failure);
  EXPECT_EQ(at(18).tipo, tipo_cella::indicatore_vmax);
  EXPECT_EQ(at(18).dato1, 0);
}

TEST_F(StampingTest, board_stripes_wrap_to_16_bits) {
  board(850, 90, 95, 95, 4000);
  EXPECT_EQ(at(18).dato4, -25536);
}

}  // namespace
}  // namespace scenario
