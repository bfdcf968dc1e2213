#include "railway/rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace scenario::railway {
namespace {

// Objects claim p / 50 + 1 and layers p / 50, each quotient rounded half to
// even exactly as the compiler stamps; truncating would put 8830 m in 177.
TEST(railway_rules, the_cell_of_a_position_is_the_compilers) {
  struct example {
    int64_t p, object, layer;
  };
  const example examples[] = {
      {8830, 178, 177},               // 176.6 rounds up
      {8850, 178, 177},               // 177.0
      {8825, 178, 176},               // 177.5 and 176.5: halves to even
      {8875, 178, 178},               // 178.5 and 177.5: halves to even
      {0, 1, 0},        {-25, 0, 0},  // -0.5 to even
  };
  for (const example& x : examples) {
    EXPECT_EQ(object_cell(x.p), x.object) << x.p;
    EXPECT_EQ(layer_cell(x.p), x.layer) << x.p;
  }
  EXPECT_EQ(object_metres(8830), 8850);
  EXPECT_EQ(layer_metres(8900), 8900);
  EXPECT_EQ(warning_cells_before_start, 24);
}

TEST(railway_rules, tunnel_names_come_from_the_board_texts) {
  const std::pair<const char*, const char*> cases[] = {
      {"(GALLERIA )(VALDORMIA)(m.550    )", "VALDORMIA"},
      {"(GALLERIA       )(VESCOL S.      )(LORIANDO m.2500)",
       "VESCOL S. LORIANDO"},
      {"(galleria)(MONTE CROCE)", "MONTE CROCE"},
      {"(GALLERIA     )(MONTE S.     )(GIORGIO m.950)", "MONTE S. GIORGIO"},
      {"(GALLERIA)(NUMERO 3)(m.1000)", "NUMERO 3"},
      {"(GALLERIA)(A)(m.x)", "A m.x"},  // not a length: kept
      {"(SOLO)", ""},  // a board that is no tunnel board names nothing
      {"  TESTO LIBERO ", ""},
      {"(GALLERIA)(m.400)", ""},
      {"(BIVIO)(CORNALBA)", ""},
      {"GALLERIA LUNGA", ""},
      {"(GALLERIA)(SENZA FINE", ""},
      {"", ""},
  };
  for (const auto& [text, name] : cases) {
    EXPECT_EQ(tunnel_name_of_board(text), name) << text;
  }
}

TEST(railway_rules, a_tunnel_board_states_its_length) {
  const std::pair<const char*, std::optional<int64_t>> cases[] = {
      {"(GALLERIA )(VALDORMIA)(m.550    )", 550},
      {"(GALLERIA)(VESCOL S.)(LORIANDO m. 2500)", 2500},
      {"(galleria)(X)(m.)", std::nullopt},  // no digits
      {"(BIVIO)(m.300)", std::nullopt},     // no tunnel board
  };
  for (const auto& [text, length] : cases) {
    EXPECT_EQ(stated_tunnel_length(text), length) << text;
  }
}

// A board reaches the tunnel whose entrance lies 0 to 200 m after it.
TEST(railway_rules, a_board_reaches_a_tunnel_from_0_to_200_m_after_it) {
  struct example {
    int64_t board, entrance;
    bool reaches;
  };
  const example examples[] = {
      {8850, 8900, true},   // the line description's 50 m
      {8850, 8850, true},   // at the board
      {8850, 9050, true},   // the far end of the reach
      {8850, 9100, false},  // 250 m: too far
      {8850, 8800, false},  // the entrance lies behind the board
  };
  for (const example& x : examples) {
    EXPECT_EQ(board_reaches_tunnel(x.board, x.entrance), x.reaches)
        << x.board << " " << x.entrance;
  }
}

// A dwell makes a stop; the first and the last timed stations are stops
// whatever their dwell; a timed station without a dwell is passed.
TEST(railway_rules, stops_are_dwells_and_the_ends_of_the_service) {
  using v = std::vector<bool>;
  struct example {
    const char* what;
    std::vector<station_timing> stations;
    v stops;
  };
  const example examples[] = {
      {"origin, a timed pass, a stop, terminus",
       {{25500, 1}, {26000, 0}, {26400, 60}, {27000, 0}},
       v{true, false, true, true}},
      {"untimed stations around the service",
       {{0, 0}, {25500, 0}, {26000, 0}, {0, 0}},
       v{false, true, true, false}},
      {"a dwell without a time still stops", {{0, 30}}, v{true}},
      {"one timed station", {{25500, 0}}, v{true}},
      {"no station", {}, v{}},
  };
  for (const example& x : examples) {
    EXPECT_EQ(station_stops(x.stations), x.stops) << x.what;
  }
}

// dato4 = 12 reads one stripe on the left and two on the right; each speed
// value packs left x 20 + right / 5.
TEST(railway_rules, board_values_read_by_side) {
  cella c;
  c.tipo = tipo_cella::indicatore_vmax;
  c.dato1 = 90 * 20 + 80 / 5;
  c.dato2 = 95 * 20;
  c.dato3 = 95 * 20 + 5 / 5;
  c.dato4 = 12;
  const board_sides b = read_board(c);
  EXPECT_EQ(b.left.speeds_kmh, (std::array<int, 3>{90, 95, 95}));
  EXPECT_EQ(b.right.speeds_kmh, (std::array<int, 3>{80, 0, 5}));
  EXPECT_EQ(b.left.stripes, 1);
  EXPECT_EQ(b.right.stripes, 2);
}

TEST(railway_rules, a_warning_carries_its_own_speed) {
  cella w;
  w.tipo = tipo_cella::avviso_rallentamento;
  w.dato1 = 30;
  EXPECT_EQ(warning_speed_kmh(w), 30);
}

// Stations end below the lowest entry a board uses, and at an empty entry.
TEST(railway_rules, stations_stop_below_the_lowest_board_entry) {
  scenario_model m;
  m.celle.resize(10);
  EXPECT_EQ(station_entry_limit(m), voce_index::primo_cartello + 1);
  m.celle[3].tipo = tipo_cella::cartello_indicatore;
  m.celle[3].dato1 = 79;
  m.celle[5].tipo = tipo_cella::cartello_indicatore;
  m.celle[5].dato1 = 78;
  EXPECT_EQ(station_entry_limit(m), 78);
}

}  // namespace
}  // namespace scenario::railway
