// The two descriptions together, seen as the compiler will stamp them: every
// object that claims a cell claims its own, and every record lies inside the
// cell array of this line.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "compiler/compiler.h"
#include "model/model.h"
#include "sources/content_records.h"
#include "sources/sources.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::curve_record;
using testing::direction_board_record;
using testing::end_mark_cell;
using testing::has_end_mark;
using testing::line_curves;
using testing::line_direction_boards;
using testing::line_speed_boards;
using testing::line_tunnels;
using testing::object_cell;
using testing::passes_range_check;
using testing::scenario_numero_celle;
using testing::signal_record;
using testing::speed_board_record;
using testing::speed_limit_record;
using testing::station_record;
using testing::train_signals;
using testing::train_speed_limits;
using testing::train_stations;
using testing::tunnel_record;
using testing::zone_of;

TEST(ScenarioCells, the_line_length_gives_2130_cells) {
  const int64_t length = 99500;
  EXPECT_EQ(div_round_even(length + line_margin_m, cell_length_m),
            scenario_numero_celle);
}

// Each claim: the cell and what claimed it.
std::map<int64_t, std::vector<std::string>> claimed_cells() {
  std::map<int64_t, std::vector<std::string>> claims;
  for (const speed_board_record& b : line_speed_boards()) {
    claims[object_cell(b.posizione)].push_back("speed board " +
                                               std::to_string(b.posizione));
  }
  for (const direction_board_record& b : line_direction_boards()) {
    claims[object_cell(b.posizione)].push_back("direction board " +
                                               std::to_string(b.posizione));
  }
  for (const station_record& s : train_stations()) {
    if (has_end_mark(s)) {
      claims[end_mark_cell(s)].push_back("end mark of " + s.nome);
    }
  }
  for (const signal_record& s : train_signals()) {
    claims[object_cell(s.posizione())].push_back("signal " +
                                                 std::to_string(s.posizione()));
  }
  return claims;
}

TEST(ScenarioCells, no_two_objects_claim_one_cell) {
  const auto claims = claimed_cells();
  size_t objects = 0;
  for (const auto& [cell, who] : claims) {
    objects += who.size();
    std::string all;
    for (const std::string& w : who) all += w + "; ";
    EXPECT_EQ(who.size(), 1u) << "cell " << cell << ": " << all;
    // Cell 1 keeps its data words for the format marker and checksum.
    EXPECT_GT(cell, 1) << all;
    EXPECT_LE(cell, scenario_numero_celle) << all;
  }
  // 6 speed boards, 24 direction boards, 11 end marks, 30 signals.
  EXPECT_EQ(objects, 6u + 24u + 11u + 30u);
}

TEST(ScenarioCells, claims_are_computed_as_the_compiler_does) {
  // Spot checks of the cell rules on rows of this scenario.
  EXPECT_EQ(object_cell(850), 18);     // first speed board
  EXPECT_EQ(object_cell(35100), 703);  // first striped board
  EXPECT_EQ(object_cell(8850), 178);   // VALDORMIA board
  EXPECT_EQ(object_cell(2400), 49);    // first signal
  const station_record origin = train_stations().front();
  EXPECT_EQ(end_mark_cell(origin), 11);
}

TEST(ScenarioCells, signal_approach_cells_lie_inside_the_array) {
  for (const signal_record& s : train_signals()) {
    const int64_t c = object_cell(s.posizione());
    EXPECT_GE(c - 8, 0) << s.posizione();
  }
}

TEST(ScenarioCells, approach_marks_of_stations_and_signals_do_not_overlap) {
  // Stations write 81..84 in the four cells before their end mark, signals
  // their codes every second cell of the eight before them; the later write
  // would hide the earlier one.
  std::map<int64_t, std::string> station_marks;
  for (const station_record& s : train_stations()) {
    if (!has_end_mark(s)) continue;
    EXPECT_GT(end_mark_cell(s), 1) << s.nome;
    for (int i = 1; i <= 4; ++i) {
      const int64_t cell = end_mark_cell(s) - i;
      EXPECT_GT(cell, 1) << s.nome;
      station_marks[cell] = s.nome;
    }
  }
  for (const signal_record& s : train_signals()) {
    for (int b = 1; b <= 4; ++b) {
      const int64_t cell = object_cell(s.posizione()) - 2 * b;
      const auto it = station_marks.find(cell);
      EXPECT_EQ(it, station_marks.end())
          << "signal " << s.posizione() << " marks cell " << cell << " before "
          << it->second;
    }
  }
}

TEST(ScenarioCells, every_record_passes_its_range_check) {
  for (const curve_record& c : line_curves()) {
    EXPECT_TRUE(passes_range_check(c.posizione, 100)) << c.posizione;
  }
  for (const tunnel_record& t : line_tunnels()) {
    EXPECT_TRUE(passes_range_check(t.inizio, 100)) << t.inizio;
    // The span's last cell, fine / 50 - 1, stays inside the array too.
    EXPECT_LE(div_round_even(t.fine, cell_length_m) - 1, scenario_numero_celle)
        << t.inizio;
  }
  for (const speed_board_record& b : line_speed_boards()) {
    EXPECT_TRUE(passes_range_check(b.posizione, 100)) << b.posizione;
  }
  for (const direction_board_record& b : line_direction_boards()) {
    EXPECT_TRUE(passes_range_check(b.posizione, 100)) << b.posizione;
  }
  for (const speed_limit_record& v : train_speed_limits()) {
    EXPECT_TRUE(passes_range_check(v.posizione, 100)) << v.posizione;
  }
  for (const station_record& s : train_stations()) {
    EXPECT_TRUE(passes_range_check(s.posizione(), 800)) << s.nome;
  }
  for (const signal_record& s : train_signals()) {
    EXPECT_TRUE(passes_range_check(s.posizione(), 100)) << s.posizione();
  }
}

TEST(ScenarioCells, range_check_refuses_a_station_past_the_margin) {
  // The rule itself: 105700 + 800 is the last cell's end.
  EXPECT_TRUE(passes_range_check(105700, 800));
  EXPECT_FALSE(passes_range_check(105750, 800));
  EXPECT_TRUE(passes_range_check(106400, 100));
  EXPECT_FALSE(passes_range_check(106450, 100));
}

TEST(ScenarioCells, entry_and_tunnel_tables_have_room) {
  // Stations grow up from entry 1, board texts down from 80: together at
  // most 78. The compiler keeps at most 80 tunnels.
  EXPECT_LE(train_stations().size() + line_direction_boards().size(), 78u);
  EXPECT_LE(line_tunnels().size(), static_cast<size_t>(max_tunnels));
}

TEST(ScenarioCells, tunnels_stay_clear_of_station_zones) {
  for (const tunnel_record& t : line_tunnels()) {
    for (const station_record& s : train_stations()) {
      const auto z = zone_of(s);
      EXPECT_TRUE(t.fine <= z.inizio || t.inizio >= z.fine)
          << "tunnel " << t.inizio << " in " << s.nome;
    }
  }
}

TEST(ScenarioCells, the_compiler_stamps_every_object_on_its_claimed_cell) {
  testing::temp_dir dir;
  ASSERT_TRUE(dati_linea(dir.path(), "Tarvena_Olmisco", nullptr));
  ASSERT_TRUE(dati_treno(dir.path(), "Tarvena_Olmisco", "IR 4518", nullptr));
  scenario_model m;
  m.percorso = "Tarvena_Olmisco";
  m.treno = "IR 4518";
  reset(m, 0);
  memorizza_dati(m, {linea_txt_path(dir.path(), m.percorso),
                     treno_txt_path(dir.path(), m.percorso, m.treno), true});
  ASSERT_EQ(m.codice_errore, 0);
  ASSERT_EQ(m.numero_celle, scenario_numero_celle);
  std::map<int64_t, uint8_t> expected;
  for (const speed_board_record& b : line_speed_boards()) {
    expected[object_cell(b.posizione)] = tipo_cella::indicatore_vmax;
  }
  for (const direction_board_record& b : line_direction_boards()) {
    expected[object_cell(b.posizione)] = tipo_cella::cartello_indicatore;
  }
  for (const station_record& s : train_stations()) {
    if (has_end_mark(s)) expected[end_mark_cell(s)] = tipo_cella::fine_stazione;
  }
  for (const signal_record& s : train_signals()) {
    expected[object_cell(s.posizione())] = tipo_cella::segnale;
  }
  for (int64_t i = 0; i <= m.numero_celle; ++i) {
    const uint8_t tipo = m.celle[i].tipo;
    const auto it = expected.find(i);
    if (it != expected.end()) {
      EXPECT_EQ(tipo, it->second) << "cell " << i;
    } else {
      EXPECT_TRUE(tipo == tipo_cella::vuota ||
                  tipo == tipo_cella::marcatore_galleria)
          << "cell " << i << " holds " << int{tipo};
    }
  }
}

}  // namespace
}  // namespace scenario
