#include "compiler/train_compiler.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "compiler/fixtures/descriptions.h"
#include "compiler/line_compiler.h"
#include "compiler/run_time_failure.h"
#include "model/model.h"

namespace scenario {
namespace {

using testing::first_train_line;
using testing::line_description;
using testing::train_description;
using testing::untouched_position;

constexpr char line_file[] = "linea.txt";
constexpr char train_file[] = "treno.txt";

struct line_setup {
  int64_t length = 1000;  // numero_celle 160
  std::vector<std::string> body;
  std::vector<std::string> general_extra;
  std::optional<int> board_entry;  // instead of the one the line leaves
};

line_setup line_of(int64_t length, std::vector<std::string> body = {}) {
  line_setup s;
  s.length = length;
  s.body = std::move(body);
  return s;
}

line_setup line_with_general(std::vector<std::string> general_extra) {
  line_setup s;
  s.general_extra = std::move(general_extra);
  return s;
}

struct train_run {
  scenario_model m;
  bool go_on = false;
};

train_run compile_train(const std::vector<std::string>& records,
                        const line_setup& line = {}) {
  train_run r;
  reset(r.m, 0);
  r.m.posizione_errore = untouched_position;
  line_compiler lc(
      r.m, line_file,
      line_description(line.length, line.body, line.general_extra));
  EXPECT_TRUE(lc.compile());
  train_compiler tc(r.m, train_file, train_description(records),
                    line.board_entry.value_or(lc.next_board_entry()));
  r.go_on = tc.compile();
  return r;
}

void expect_diagnostic(const scenario_model& m, int code,
                       std::optional<int32_t> posizione, int line) {
  testing::expect_recorded(m, train_file, code, posizione, line);
}

void expect_speeds(const scenario_model& m, int from, int to, uint8_t value) {
  for (int i = from; i <= to; ++i) {
    EXPECT_EQ(m.celle[i].velocita_limite, value) << "cell " << i;
  }
}

void expect_adhesions(const scenario_model& m, int from, int to,
                      uint8_t value) {
  for (int i = from; i <= to; ++i) {
    EXPECT_EQ(m.celle[i].aderenza, value) << "cell " << i;
  }
}

// --- General values
// -----------------------------------------------------------

TEST(train_compiler, general_values_go_to_entries_84_and_86) {
  const train_run r = compile_train({
      "percentuale massa frenata,    100",
      "numero vetture,    7",
      "orologio,    7               5             30 ",
      "sabbia,    3",
  });
  ASSERT_TRUE(r.go_on);
  EXPECT_EQ(r.m.codice_errore, 0);
  const voce& train = r.m.voci[voce_index::treno_generale];
  EXPECT_EQ(train.inizio, 100);
  EXPECT_EQ(train.posizione, 7);
  EXPECT_EQ(train.fine, 1000);  // the line length stays
  const voce& general = r.m.voci[voce_index::segnali_generale];
  EXPECT_EQ(general.num3, 7);
  EXPECT_EQ(general.num4, 5);
  EXPECT_EQ(general.num5, 30);
  EXPECT_EQ(general.num1, 3);
}

TEST(train_compiler, records_before_generale_are_not_compiled) {
  train_run r;
  reset(r.m, 0);
  line_compiler lc(r.m, line_file, line_description(1000));
  ASSERT_TRUE(lc.compile());
  train_compiler tc(
      r.m, train_file,
      "numero vetture, 7\r\n[generale]\r\nsabbia, 2\r\n[fine]\r\n", 80);
  ASSERT_TRUE(tc.compile());
  EXPECT_EQ(r.m.voci[voce_index::treno_generale].posizione, 0);
  EXPECT_EQ(r.m.voci[voce_index::segnali_generale].num1, 2);
}

TEST(train_compiler, file_without_generale_compiles_no_record_but_fills) {
  train_run r;
  reset(r.m, 0);
  line_compiler lc(r.m, line_file, line_description(1000));
  ASSERT_TRUE(lc.compile());
  train_compiler tc(r.m, train_file, "velocita, 0, 30\r\n[fine]\r\n", 80);
  ASSERT_TRUE(tc.compile());
  EXPECT_EQ(r.m.codice_errore, 0);
  expect_speeds(r.m, 0, 157, 0);
}

// --- Speed limit and adhesion
// -------------------------------------------------

TEST(train_compiler, speed_limit_takes_effect_from_its_cell) {
  const train_run r =
      compile_train({"velocita,   0,    30", "velocita,     850,    95"});
  ASSERT_TRUE(r.go_on);
  expect_speeds(r.m, 0, 16, 6);
  expect_speeds(r.m, 17, 157, 19);
  expect_speeds(r.m, 158, 160, 0);
}

TEST(train_compiler, no_speed_is_in_force_before_the_first_record) {
  const train_run r = compile_train({"velocita,   500,    13"});
  ASSERT_TRUE(r.go_on);
  expect_speeds(r.m, 0, 9, 0);
  expect_speeds(r.m, 10, 157, 3);  // 13 / 5 rounds to 3
}

TEST(train_compiler, speed_record_at_the_pointer_still_writes_one_cell) {
  const train_run r = compile_train(
      {"velocita, 500, 30", "velocita, 500, 50", "velocita, 200, 100"});
  ASSERT_TRUE(r.go_on);
  expect_speeds(r.m, 0, 9, 0);
  expect_speeds(r.m, 10, 10, 6);
  expect_speeds(r.m, 11, 11, 10);
  expect_speeds(r.m, 12, 157, 20);
}

TEST(train_compiler, speed_byte_outside_0_to_255_is_a_run_time_failure) {
  struct speed_case {
    int32_t kmh;
    std::optional<uint8_t> byte;  // empty: run-time failure
  };
  const speed_case cases[] = {
      {1277, 255}, {1278, std::nullopt}, {-2, 0}, {-3, std::nullopt}, {12, 2},
      {0, 0},
  };
  for (const speed_case& c : cases) {
    SCOPED_TRACE(c.kmh);
    const std::vector<std::string> records = {"velocita, 0, " +
                                              std::to_string(c.kmh)};
    if (!c.byte) {
      EXPECT_THROW(compile_train(records), run_time_failure);
      continue;
    }
    const train_run r = compile_train(records);
    expect_speeds(r.m, 0, 157, *c.byte);
  }
  // A speed in force that no cell receives is never converted.
  const train_run r = compile_train({"velocita, 0, 2000", "velocita, 0, 30"});
  EXPECT_TRUE(r.go_on);
  expect_speeds(r.m, 0, 157, 6);
}

TEST(train_compiler, adhesion_takes_effect_from_its_cell) {
  const train_run r =
      compile_train({"aderenza,   0,    100", "ADERENZA,   500,    300"});
  ASSERT_TRUE(r.go_on);
  expect_adhesions(r.m, 0, 9, 100);
  expect_adhesions(r.m, 10, 157, 300 & 0xFF);
  expect_adhesions(r.m, 158, 160, 0);
}

TEST(train_compiler, adhesion_pointer_beyond_the_cells_is_a_run_time_failure) {
  // Each record at the pointer writes one more cell: three records bring the
  // pointer to cell 160, the last one, which the closing fill then writes.
  std::vector<std::string> records(3, "aderenza, 7900, 1");
  const train_run r = compile_train(records);
  EXPECT_TRUE(r.go_on);
  expect_adhesions(r.m, 158, 160, 1);
  // A fourth leaves the pointer at 161, outside cells 0 to 160.
  records.push_back("aderenza, 7900, 1");
  EXPECT_THROW(compile_train(records), run_time_failure);
}

// --- Signals, slowdowns, speed points
// -----------------------------------------

TEST(train_compiler, signals_and_slowdowns_are_stamped) {
  const train_run r =
      compile_train({"segnale,    2400,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
                     "rallentamento, 5000, 60, 1000, 1, 1, 0"},
                    line_of(10000));
  ASSERT_TRUE(r.go_on);
  EXPECT_EQ(r.m.codice_errore, 0);
  EXPECT_EQ(r.m.celle[49].tipo, tipo_cella::segnale);
  EXPECT_EQ(r.m.celle[49].dato1, 40);
  EXPECT_EQ(r.m.celle[49].dato4, 3);
  EXPECT_EQ(r.m.celle[47].avviso, 31);
  EXPECT_EQ(r.m.celle[101].tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(r.m.celle[121].tipo, tipo_cella::fine_rallentamento);
  EXPECT_EQ(r.m.celle[77].tipo, tipo_cella::avviso_rallentamento);
}

TEST(train_compiler, objects_on_taken_cells_are_refused_at_their_record) {
  struct conflict_case {
    std::string record;
    int code;
    int32_t posizione;
  };
  // The line holds a direction board at 2400 m (cell 49).
  const conflict_case cases[] = {
      {"segnale, 2400, 1, 4, 1, 0, 0, 0, 0,0,0, 0", 16, 2400},
      {"rallentamento, 3600, 60, 1000, 1, 0, 0", 17, 3600},  // warning cell
      {"rallentamento, 2400, 60, 1000, 1, 0, 0", 18, 2400},
      {"rallentamento, 1000, 60, 1400, 1, 0, 0", 19, 1000},
      {"abbattimento, 2450, 60", 7, 2450},  // cell 2450 / 50 = 49
  };
  for (const conflict_case& c : cases) {
    SCOPED_TRACE(c.record);
    const train_run r = compile_train(
        {"velocita, 0, 30", "sabbia, 1", c.record, "numero vetture, 7"},
        line_of(10000, {"cartello_indicatore, 2400, (A)"}));
    EXPECT_FALSE(r.go_on);
    expect_diagnostic(r.m, c.code, c.posizione, first_train_line + 2);
    // Ended at once: no later record, no closing fill.
    EXPECT_EQ(r.m.voci[voce_index::treno_generale].posizione, 0);
    EXPECT_EQ(r.m.celle[0].velocita_limite, 0);
  }
}

TEST(train_compiler, approach_cells_taken_is_code_20_after_the_slowdown) {
  // x = 5000: approach cells 76 to 73; the board at 3700 m is cell 75.
  const train_run r =
      compile_train({"rallentamento, 5000, 60, 1000, 1, 1, 0"},
                    line_of(10000, {"cartello_indicatore, 3700, (A)"}));
  EXPECT_FALSE(r.go_on);
  expect_diagnostic(r.m, 20, 5000, first_train_line);
  EXPECT_EQ(r.m.celle[101].tipo, tipo_cella::inizio_rallentamento);
}

TEST(train_compiler, speed_points_claim_cell_p_over_50) {
  const train_run r =
      compile_train({"abbattimento, 1000, 60", "abbattimento, 1500, 0",
                     "abbattimento, 2000, -5", "abbattimento, 1100, 70000"},
                    line_of(10000, {"montagna, 1000, 2000, 11"}));
  ASSERT_TRUE(r.go_on);
  EXPECT_EQ(r.m.celle[20].tipo, tipo_cella::punto_velocita);
  EXPECT_EQ(r.m.celle[20].dato1, 60);
  EXPECT_EQ(r.m.celle[30].tipo, tipo_cella::punto_senza_velocita);
  EXPECT_EQ(r.m.celle[30].dato1, 0);
  EXPECT_EQ(r.m.celle[40].tipo, tipo_cella::punto_senza_velocita);
  // Cell 22 is free; the value keeps its low 16 bits.
  EXPECT_EQ(r.m.celle[22].tipo, tipo_cella::punto_velocita);
  EXPECT_EQ(r.m.celle[22].dato1, static_cast<int16_t>(70000 & 0xFFFF));
}

TEST(train_compiler, speed_point_on_a_tunnel_marker_replaces_it) {
  // The markers of 1000..2000 m are cells 23, 27, ...; 1150 m is cell 23.
  const train_run r = compile_train(
      {"abbattimento, 1150, 60"}, line_of(10000, {"montagna, 1000, 2000, 11"}));
  ASSERT_TRUE(r.go_on);
  EXPECT_EQ(r.m.celle[23].tipo, tipo_cella::punto_velocita);
  EXPECT_EQ(r.m.celle[27].tipo, tipo_cella::marcatore_galleria);
}

// --- Stations
// -----------------------------------------------------------------

TEST(train_compiler, first_station_stores_every_column_and_its_marks) {
  const train_run r = compile_train(
      {"stazione,     200, 12,  700,  1, 1, 1,  4,1,0,  2,1,1,    1,   7, 5, "
       "0, TARVENA"});
  ASSERT_TRUE(r.go_on);
  EXPECT_EQ(r.m.codice_errore, 0);
  const voce& v = r.m.voci[1];
  EXPECT_EQ(v.posizione, 200);
  EXPECT_EQ(v.tipo, 12);
  EXPECT_EQ(v.inizio, -150);
  EXPECT_EQ(v.fine, 600);  // column 6 counts before it is cleared
  EXPECT_EQ(v.flag1, 1);
  EXPECT_EQ(v.flag5, 0);
  EXPECT_EQ(v.flag4, 0);
  EXPECT_EQ(v.num1, 4);
  EXPECT_EQ(v.num2, 1);
  EXPECT_EQ(v.flag2, 0);
  EXPECT_EQ(v.num3, 2);
  EXPECT_EQ(v.num4, 1);
  EXPECT_EQ(v.num5, 1);
  EXPECT_EQ(v.flag3, 1);
  EXPECT_EQ(v.orario, 7 * 3600 + 5 * 60);
  EXPECT_EQ(v.nome, "TARVENA");
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(r.m.celle[11 - i].avviso, 80 + i) << "mark " << i;
    EXPECT_EQ(r.m.celle[11 - i].tipo, tipo_cella::vuota);
  }
  EXPECT_EQ(r.m.celle[6].avviso, 0);
  EXPECT_EQ(r.m.celle[11].tipo, tipo_cella::fine_stazione);
  EXPECT_EQ(r.m.celle[11].dato1, 1);
}

TEST(train_compiler, station_zone_and_marks_by_kind) {
  struct kind_case {
    int kind;
    int length;
    int flag4;
    int32_t inizio;
    int32_t fine;
    int flag4_kept;
    int flag5_kept;
    int end_cell;  // -1: no end mark
    bool marks;    // approach marks in the four cells before it
  };
  // The second station (5000 m); flag5 is 1 in every record.
  const kind_case cases[] = {
      {12, 600, 1, 4700, 5350, 1, 1, 106, true},
      {12, 400, 0, 4800, 5200, 0, 0, 103, true},
      {5, 700, 1, 4300, 5150, 0, 1, 102, false},
      {6, 700, 0, 4300, 5150, 0, 1, 102, false},
      {7, 400, 1, 4600, 5400, 0, 0, 107, true},
      {8, 700, 0, 4300, 5700, 0, 1, 113, true},
      {24, 600, 0, 4700, 5300, 0, 1, 105, true},
      {25, 600, 0, 4700, 5300, 0, 1, -1, false},
      {26, 600, 1, 4700, 5350, 1, 1, -1, false},
  };
  for (const kind_case& c : cases) {
    SCOPED_TRACE(c.kind);
    const train_run r = compile_train(
        {"stazione, 200, 26, 100, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, A",
         "stazione, 5000, " + std::to_string(c.kind) + ", " +
             std::to_string(c.length) + ", 0, 1, " + std::to_string(c.flag4) +
             ", 0,0,0, 0,0,0, 0, 0,0,0, B"},
        line_of(10000));
    ASSERT_TRUE(r.go_on);
    const voce& v = r.m.voci[2];
    EXPECT_EQ(v.inizio, c.inizio);
    EXPECT_EQ(v.fine, c.fine);
    EXPECT_EQ(v.flag4, c.flag4_kept);
    EXPECT_EQ(v.flag5, c.flag5_kept);
    for (int i = 0; i <= r.m.numero_celle; ++i) {
      const cella& cell = r.m.celle[i];
      const bool is_end = i == c.end_cell;
      EXPECT_EQ(cell.tipo, is_end ? tipo_cella::fine_stazione : 0) << i;
      EXPECT_EQ(cell.dato1, is_end ? 2 : 0) << i;
      const int mark = c.end_cell - i;  // 1 nearest the end mark
      const bool marked = c.marks && mark >= 1 && mark <= 4;
      EXPECT_EQ(cell.avviso, marked ? 80 + mark : 0) << i;
    }
  }
}

TEST(train_compiler, station_refusals) {
  struct station_case {
    const char* what;
    std::vector<std::string> stations;
    int code;
    std::optional<int32_t> posizione;
    bool go_on;  // code 15 ends only the records
  };
  const station_case cases[] = {
      {"position off the 50 m grid",
       {"stazione, 1001, 12, 600, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, A"},
       8,
       1001,
       false},
      {"length off the 100 m grid",
       {"stazione, 1000, 12, 650, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, A"},
       9,
       1000,
       false},
      {"zones 300 m apart",
       {"stazione, 1000, 12, 600, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, A",
        "stazione, 1900, 12, 600, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, B"},
       22,
       1900,
       false},
      {"a minor station's zone counts, with its column 6",
       {"stazione, 1000, 26, 600, 0,0,1, 0,0,0, 0,0,0, 0, 0,0,0, A",
        "stazione, 1950, 12, 600, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, B"},
       22,
       1950,
       false},
      {"end mark on cell 1 or lower",
       {"stazione, 0, 12, 100, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, A"},
       24,
       std::nullopt,
       false},
      {"position + 800 beyond the cells",
       {"stazione, 7250, 12, 100, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, A"},
       15,
       7250,
       true},
  };
  for (const station_case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> records = {"velocita, 0, 30"};
    records.insert(records.end(), c.stations.begin(), c.stations.end());
    records.push_back("numero vetture, 7");
    const train_run r = compile_train(records);
    EXPECT_EQ(r.go_on, c.go_on);
    expect_diagnostic(r.m, c.code, c.posizione,
                      first_train_line + static_cast<int>(c.stations.size()));
    EXPECT_EQ(r.m.voci[voce_index::treno_generale].posizione, 0);
    // Only code 15 leaves the closing fills to run.
    EXPECT_EQ(r.m.celle[0].velocita_limite, c.go_on ? 6 : 0);
  }
}

TEST(train_compiler, stations_spaced_350_m_apart_are_accepted) {
  const train_run r = compile_train(
      {"stazione, 1000, 12, 600, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, A",
       "stazione, 1950, 12, 600, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, B"});
  EXPECT_TRUE(r.go_on);
  EXPECT_EQ(r.m.codice_errore, 0);
  EXPECT_EQ(r.m.voci[2].nome, "B");
}

TEST(train_compiler, station_reaching_the_board_entries_is_code_10) {
  // With the next free board entry at 3 the second station is refused even
  // when no further station follows.
  const std::vector<std::string> records = {
      "stazione, 1000, 12, 600, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, A",
      "stazione, 3000, 12, 600, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, B"};
  line_setup line = line_of(10000);
  line.board_entry = 3;
  const train_run r = compile_train(records, line);
  EXPECT_FALSE(r.go_on);
  expect_diagnostic(r.m, 10, std::nullopt, first_train_line + 1);
  EXPECT_EQ(r.m.voci[2].nome, "B");  // stored before the check

  line.board_entry = 4;
  const train_run fits = compile_train(records, line);
  EXPECT_TRUE(fits.go_on);
  EXPECT_EQ(fits.m.codice_errore, 0);
}

// --- Closing steps
// ------------------------------------------------------------

TEST(train_compiler, kilometric_reference_off_the_grid_is_code_2_after_fills) {
  // (0, 30, 1) stays in "tre" and becomes (0, 130, 1).
  const train_run r = compile_train(
      {"velocita, 0, 30",
       "stazione, 7250, 12, 100, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, A"},
      line_with_general({"progressiva chilometrica tre,    0,    30,    1"}));
  EXPECT_TRUE(r.go_on);
  EXPECT_EQ(r.m.codice_errore, 2);        // replaces the 15 of the station
  EXPECT_EQ(r.m.posizione_errore, 7250);  // left by the 15
  ASSERT_EQ(r.m.diagnostics.size(), 2u);
  EXPECT_EQ(r.m.diagnostics[0].codice, 15);
  EXPECT_EQ(r.m.diagnostics[1].codice, 2);
  EXPECT_EQ(r.m.diagnostics[1].posizione, std::nullopt);
  EXPECT_EQ(r.m.diagnostics[1].file, train_file);
  EXPECT_EQ(r.m.diagnostics[1].line, 0);
  expect_speeds(r.m, 0, 157, 6);
}

TEST(train_compiler, code_15_of_the_line_leaves_the_train_whole) {
  const train_run r = compile_train(
      {"segnale, 2400, 1, 4, 1, 0, 0, 0, 0,0,0, 0",
       "rallentamento, 5000, 60, 1000, 1, 1, 0", "numero vetture, 7"},
      line_of(10000, {"pendenza, 99000, 1"}));
  EXPECT_TRUE(r.go_on);
  EXPECT_EQ(r.m.codice_errore, 15);
  EXPECT_EQ(r.m.posizione_errore, 99000);
  EXPECT_EQ(r.m.diagnostics.size(), 1u);
  EXPECT_EQ(r.m.celle[49].tipo, tipo_cella::segnale);
  EXPECT_EQ(r.m.celle[101].tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(r.m.voci[voce_index::treno_generale].posizione, 7);
}

}  // namespace
}  // namespace scenario
