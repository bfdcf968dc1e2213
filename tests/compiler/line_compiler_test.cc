#include "compiler/line_compiler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "compiler/fixtures/descriptions.h"
#include "compiler/run_time_failure.h"
#include "model/model.h"

namespace scenario {
namespace {

using testing::crlf;
using testing::first_body_line;
using testing::line_description;
using testing::untouched_position;

constexpr char file_name[] = "linea.txt";

struct line_run {
  scenario_model m;
  bool go_on = false;
  int board_entry = 0;
};

line_run compile_line(const std::string& text, int32_t j = 0) {
  line_run r;
  reset(r.m, j);
  r.m.posizione_errore = untouched_position;
  line_compiler c(r.m, file_name, text);
  r.go_on = c.compile();
  r.board_entry = c.next_board_entry();
  return r;
}

void expect_diagnostic(const scenario_model& m, int code,
                       std::optional<int32_t> posizione, int line) {
  testing::expect_recorded(m, file_name, code, posizione, line);
}

std::vector<uint8_t> gradients(const scenario_model& m) {
  std::vector<uint8_t> g;
  for (const cella& c : m.celle) g.push_back(c.pendenza);
  return g;
}

// Expected layer: `value` in cells [from, to], checked cell by cell.
void expect_layer(const std::vector<uint8_t>& layer, int from, int to,
                  uint8_t value) {
  ASSERT_LT(to, static_cast<int>(layer.size()));
  for (int i = from; i <= to; ++i) {
    EXPECT_EQ(layer[i], value) << "cell " << i;
  }
}

// --- Line length and the cell array -----------------------------------------

TEST(line_compiler, cell_array_follows_the_line_length) {
  struct length_case {
    int32_t length;
    int32_t lunghezza_estesa;
    int32_t numero_celle;
  };
  const length_case cases[] = {
      {99500, 106500, 2130},
      {25, 7025, 140},  // 140.5 rounds to even
      {75, 7075, 142},  // 141.5 rounds to even
      {1000000, 1007000, 20140},
  };
  for (const length_case& c : cases) {
    SCOPED_TRACE(c.length);
    const line_run r = compile_line(line_description(c.length));
    EXPECT_TRUE(r.go_on);
    EXPECT_EQ(r.m.codice_errore, 0);
    EXPECT_EQ(r.m.lunghezza_estesa, c.lunghezza_estesa);
    EXPECT_EQ(r.m.numero_celle, c.numero_celle);
    EXPECT_EQ(r.m.celle.size(), static_cast<size_t>(c.numero_celle) + 1);
    EXPECT_EQ(r.m.voci[voce_index::treno_generale].fine, c.length);
  }
}

TEST(line_compiler, length_above_the_maximum_is_refused_before_the_cells) {
  const line_run r = compile_line(line_description(1000001));
  EXPECT_FALSE(r.go_on);
  expect_diagnostic(r.m, 1, std::nullopt, 2);
  EXPECT_FALSE(r.m.has_cells());
  EXPECT_EQ(r.m.voci[voce_index::treno_generale].fine, 1000001);
}

TEST(line_compiler, length_without_metres_zero_and_one_is_a_run_time_failure) {
  EXPECT_THROW(compile_line(line_description(-7000), 1), run_time_failure);
  // One metre more leaves a plan of metres 0 and 1 and the single cell 0.
  const line_run r = compile_line(line_description(-6999), 1);
  EXPECT_TRUE(r.go_on);
  EXPECT_EQ(r.m.numero_celle, 0);
  EXPECT_EQ(r.m.tracciato.size(), 2);
}

// A length of -7000 m still creates cell 0; only the plan lacks metre 1, and
// that is found when the plan is started between the blocks.
TEST(line_compiler, length_leaving_only_cell_0_fails_only_for_the_plan) {
  const line_run without_plan = compile_line(line_description(-7000), 0);
  EXPECT_TRUE(without_plan.go_on);
  EXPECT_EQ(without_plan.m.codice_errore, 0);
  EXPECT_EQ(without_plan.m.numero_celle, 0);
  ASSERT_EQ(without_plan.m.celle.size(), 1u);
  EXPECT_EQ(without_plan.m.celle[0].pendenza, 100);

  // With the plan the rest of the general block is still compiled first.
  const line_run refused = compile_line(
      line_description(-7000, {}, {"ripetizione segnali 4 codici, 520, 0"}), 1);
  EXPECT_FALSE(refused.go_on);
  expect_diagnostic(refused.m, 3, std::nullopt, 10);
}

TEST(line_compiler, second_length_record_creates_the_cells_again) {
  const line_run r =
      compile_line(line_description(1000, {}, {"lunghezza percorso, 2000"}));
  EXPECT_EQ(r.m.numero_celle, 180);
  EXPECT_EQ(r.m.voci[voce_index::treno_generale].fine, 2000);
}

TEST(line_compiler, using_the_cells_before_the_length_is_a_run_time_failure) {
  struct no_length_case {
    const char* what;
    std::vector<std::string> lines;
    int32_t j;
  };
  const no_length_case cases[] = {
      {"first body record",
       {"[generale]", "[curve]", "pendenza, 0, 0", "[fine]"},
       0},
      {"closing gradient fill", {"[generale]", "[curve]", "[fine]"}, 0},
      {"start of the plan", {"[generale]", "[curve]", "[fine]"}, 1},
  };
  for (const no_length_case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THROW(compile_line(crlf(c.lines), c.j), run_time_failure);
  }
}

// --- Start of the file ------------------------------------------------------

TEST(line_compiler, file_ending_before_generale_is_code_102) {
  const char* const texts[] = {
      "uno, due\r\ntre\r\n",
      "lunghezza percorso, 1000\r\n[generale]\r\n",  // "[generale]" is last
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    const line_run r = compile_line(text);
    EXPECT_FALSE(r.go_on);
    expect_diagnostic(r.m, 102, std::nullopt, 0);
    EXPECT_FALSE(r.m.has_cells());
  }
}

// --- General values ---------------------------------------------------------

TEST(line_compiler, general_values_go_to_their_entries) {
  const line_run r = compile_line(line_description(
      1000, {},
      {"progressiva chilometrica uno,    1000,    500,    1",
       "progressiva chilometrica due,    3000,    0,    0",
       "progressiva chilometrica tre,    2000,    0,    0", "sfondo uno,    7",
       "sfondo due,    8", "sfondo tre,    9"}));
  ASSERT_TRUE(r.go_on);
  const auto triple = [&](int entry) {
    const voce& v = r.m.voci[entry];
    return std::vector<int32_t>{v.inizio, v.fine, v.posizione};
  };
  // Ordered between the blocks: the greatest first number goes to "tre".
  EXPECT_EQ(triple(voce_index::progressiva_tre),
            (std::vector<int32_t>{3000, 0, 0}));
  EXPECT_EQ(triple(voce_index::progressiva_due),
            (std::vector<int32_t>{2000, 0, 0}));
  EXPECT_EQ(triple(voce_index::progressiva_uno),
            (std::vector<int32_t>{1000, 600, 1}));
  const voce& backgrounds = r.m.voci[voce_index::percorso_generale];
  EXPECT_EQ(backgrounds.inizio, 7);
  EXPECT_EQ(backgrounds.posizione, 8);  // "due"
  EXPECT_EQ(backgrounds.fine, 9);       // "tre"
}

TEST(line_compiler, general_key_words_are_case_sensitive_except_the_length) {
  const line_run r = compile_line(
      line_description(1000, {},
                       {"Progressiva chilometrica uno,    1000,    0,    0",
                        "SFONDO uno,    7", "LUNGHEZZA PERCORSO,    2000"}));
  ASSERT_TRUE(r.go_on);
  EXPECT_EQ(r.m.voci[voce_index::progressiva_uno].inizio, 0);
  EXPECT_EQ(r.m.voci[voce_index::percorso_generale].inizio, 0);
  EXPECT_EQ(r.m.numero_celle, 180);
}

TEST(line_compiler, signal_repetition_counts_and_refusals) {
  struct repetition_case {
    const char* key;
    int32_t first;
    int32_t second;
    int code;       // 0: accepted
    int32_t codes;  // voci[86].posizione when accepted
  };
  const repetition_case cases[] = {
      {"ripetizione segnali 4 codici", 500, 1000, 0, 4},
      {"ripetizione segnali 4 codici", 500, 0, 0, 0},
      {"ripetizione segnali 4 codici", 520, 0, 3, 0},
      {"ripetizione segnali 4 codici", 500, 1025, 4, 0},
      {"ripetizione segnali 9 codici", 500, 1000, 0, 9},
      {"ripetizione segnali codici", 500, 1000, 5, 0},
      {"ripetizione segnali codici", 500, 0, 5, 0},
      // Not a repetition record: the words are tested case-sensitively.
      {"Ripetizione segnali 9 codici", 500, 1000, 0, 0},
  };
  for (const repetition_case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + std::to_string(c.first) + " " +
                 std::to_string(c.second));
    const std::string record = std::string(c.key) + ",    " +
                               std::to_string(c.first) + "    ," +
                               std::to_string(c.second);
    const line_run r = compile_line(line_description(1000, {}, {record}));
    const voce& v = r.m.voci[voce_index::segnali_generale];
    if (c.code == 0) {
      EXPECT_TRUE(r.go_on);
      EXPECT_EQ(r.m.codice_errore, 0);
      EXPECT_EQ(v.posizione, c.codes);
    } else {
      EXPECT_FALSE(r.go_on);
      expect_diagnostic(r.m, c.code, std::nullopt, 10);
      EXPECT_EQ(v.inizio, c.first);
      EXPECT_EQ(v.fine, c.second);
    }
  }
}

TEST(line_compiler, records_outside_their_block_are_not_compiled) {
  const line_run r = compile_line(
      line_description(1000, {"sfondo uno,    7"}, {"pendenza,   0,    5"}));
  ASSERT_TRUE(r.go_on);
  EXPECT_EQ(r.m.voci[voce_index::percorso_generale].inizio, 0);
  expect_layer(gradients(r.m), 0, 157, 100);
}

// --- Gradient
// -----------------------------------------------------------------

TEST(line_compiler, closing_fill_levels_every_cell_but_the_last_three) {
  const line_run r =
      compile_line(line_description(99500, {"pendenza,   0,    0"}));
  ASSERT_TRUE(r.go_on);
  const std::vector<uint8_t> g = gradients(r.m);
  expect_layer(g, 0, 2127, 100);
  expect_layer(g, 2128, 2130, 0);
}

TEST(line_compiler, gradient_takes_effect_from_its_cell) {
  const line_run r = compile_line(
      line_description(1000, {"pendenza,   0,    5", "pendenza,   500,  -3"}));
  ASSERT_TRUE(r.go_on);
  const std::vector<uint8_t> g = gradients(r.m);
  expect_layer(g, 0, 9, 105);
  expect_layer(g, 10, 157, 97);
  expect_layer(g, 158, 160, 0);
}

TEST(line_compiler, gradient_record_at_the_pointer_still_writes_one_cell) {
  const line_run r = compile_line(
      line_description(1000, {"pendenza,   500,  5", "pendenza,   500,  7",
                              "PENDENZA,   200,  -200"}));
  ASSERT_TRUE(r.go_on);
  const std::vector<uint8_t> g = gradients(r.m);
  expect_layer(g, 0, 9, 100);
  expect_layer(g, 10, 10, 105);
  expect_layer(g, 11, 11, 107);
  expect_layer(g, 12, 157, static_cast<uint8_t>(-100));  // low 8 bits
}

// --- Range check
// --------------------------------------------------------------

TEST(line_compiler, body_record_beyond_the_cells_ends_the_body_with_15) {
  // %d stands for the record's position.
  const char* const records[] = {
      "pendenza, %d, 9",
      "curvad1, %d, 50",
      "montagna, %d, 7950, 2",
      "indicatori_vmax, %d, 90, 95, 95, 0, , , , 0",
      "cartello_indicatore, %d, (X)",
  };
  for (const char* record : records) {
    for (int32_t p : {7900, 7901}) {
      char text[128];
      std::snprintf(text, sizeof text, record, p);
      SCOPED_TRACE(text);
      // L = 1000: numero_celle 160, so (p + 100) / 50 fits up to 7900.
      const line_run r = compile_line(
          line_description(
              1000, {"pendenza, 0, 5", text, "cartello_indicatore, 1000, (Y)"}),
          1);
      EXPECT_TRUE(r.go_on);
      if (p == 7900) {
        EXPECT_EQ(r.m.codice_errore, 0);
        EXPECT_EQ(r.m.celle[21].tipo, tipo_cella::cartello_indicatore);
        continue;
      }
      expect_diagnostic(r.m, 15, p, first_body_line + 1);
      // The body ended: the next record is not compiled, the closing fill
      // still runs with the gradient in force before the refused record.
      EXPECT_EQ(r.m.celle[21].tipo, tipo_cella::vuota);
      expect_layer(gradients(r.m), 0, 157, 105);
      EXPECT_EQ(r.m.tracciato.kind(7998, 0), tracciato_t::genere::doppio);
    }
  }
}

// --- Tunnels and boards
// -------------------------------------------------------

TEST(line_compiler, tunnels_and_speed_boards_are_stamped_in_their_cells) {
  const line_run r = compile_line(line_description(
      10000, {"montagna,   3650,  3750,  12",
              "indicatori_vmax,  850,  90,  95,  95,  0,  ,  ,  ,  0"}));
  ASSERT_TRUE(r.go_on);
  EXPECT_EQ(r.m.celle[73].montagna, 2);
  EXPECT_EQ(r.m.celle[74].montagna, 2);
  EXPECT_EQ(r.m.celle[75].montagna, 0);
  EXPECT_EQ(r.m.numero_montagne, 1);
  const cella& board = r.m.celle[18];
  EXPECT_EQ(board.tipo, tipo_cella::indicatore_vmax);
  EXPECT_EQ(board.dato1, 1800);
  EXPECT_EQ(board.dato2, 1900);
  EXPECT_EQ(board.dato3, 1900);
}

TEST(line_compiler, one_key_runs_every_handler_it_matches) {
  const line_run r = compile_line(
      line_description(10000, {"pendenza montagna, 500, 5, 3650, 3750, 2"}));
  ASSERT_TRUE(r.go_on);
  const std::vector<uint8_t> g = gradients(r.m);
  expect_layer(g, 0, 9, 100);
  expect_layer(g, 10, 20, 105);
  EXPECT_EQ(r.m.celle[73].montagna, 2);
}

TEST(line_compiler, direction_boards_take_entries_from_80_downward) {
  const line_run r = compile_line(line_description(
      99500,
      {"cartello_indicatore,  8850,   (GALLERIA )(VALDORMIA)(m.550    )",
       "cartello_indicatore,  9850,   (GALLERIA )(SECONDA  )(m.100    )"}));
  ASSERT_TRUE(r.go_on);
  EXPECT_EQ(r.m.celle[178].tipo, tipo_cella::cartello_indicatore);
  EXPECT_EQ(r.m.celle[178].dato1, 80);
  EXPECT_EQ(r.m.voci[80].nome, "(GALLERIA )(VALDORMIA)(m.550    )");
  EXPECT_EQ(r.m.celle[198].dato1, 79);
  EXPECT_EQ(r.m.voci[79].nome, "(GALLERIA )(SECONDA  )(m.100    )");
  EXPECT_EQ(r.board_entry, 78);
}

TEST(line_compiler, direction_board_on_a_tunnel_marker_replaces_it) {
  // Markers of 1000..2000 m fall on cells 23, 27, ...; 1100 m is cell 23.
  const line_run r = compile_line(line_description(
      10000, {"montagna, 1000, 2000, 11", "cartello_indicatore, 1100, (A)"}));
  ASSERT_TRUE(r.go_on);
  EXPECT_EQ(r.m.celle[27].tipo, tipo_cella::marcatore_galleria);
  EXPECT_EQ(r.m.celle[23].tipo, tipo_cella::cartello_indicatore);
  EXPECT_EQ(r.m.celle[23].montagna, 1);
}

TEST(line_compiler, boards_on_taken_cells_are_refused) {
  struct conflict_case {
    const char* first;
    const char* second;
    int code;
    int32_t posizione;
  };
  const conflict_case cases[] = {
      {"cartello_indicatore, 8850, (A)", "cartello_indicatore, 8850, (B)", 6,
       8850},
      {"indicatori_vmax, 8850, 90, 95, 95, 0, , , , 0",
       "cartello_indicatore, 8850, (B)", 6, 8850},
      {"cartello_indicatore, 8850, (A)",
       "indicatori_vmax, 8850, 90, 95, 95, 0, , , , 0", 21, 8850},
  };
  for (const conflict_case& c : cases) {
    SCOPED_TRACE(c.second);
    const line_run r = compile_line(
        line_description(99500, {c.first, c.second, "pendenza, 0, 5"}));
    EXPECT_FALSE(r.go_on);
    expect_diagnostic(r.m, c.code, c.posizione, first_body_line + 1);
    // The compilation ended at once: no later record, no closing fill.
    EXPECT_EQ(r.m.celle[0].pendenza, 0);
    EXPECT_EQ(r.m.voci[79].nome, "");
  }
}

TEST(line_compiler, more_direction_boards_than_entries_is_a_run_time_failure) {
  std::vector<std::string> boards;
  for (int i = 0; i < 80; ++i) {
    boards.push_back("cartello_indicatore, " + std::to_string(100 * i) +
                     ", (B" + std::to_string(i) + ")");
  }
  const line_run full = compile_line(line_description(10000, boards));
  EXPECT_TRUE(full.go_on);
  EXPECT_EQ(full.board_entry, 0);
  EXPECT_EQ(full.m.voci[1].nome, "(B79)");
  EXPECT_EQ(full.m.voci[0].nome, "");

  boards.push_back("cartello_indicatore, 8000, (B80)");
  scenario_model m;
  reset(m, 0);
  line_compiler c(m, file_name, line_description(10000, boards));
  EXPECT_THROW(c.compile(), run_time_failure);
  EXPECT_EQ(m.celle[161].tipo, tipo_cella::vuota);  // nothing was written
  EXPECT_EQ(m.voci[0].nome, "");
}

}  // namespace
}  // namespace scenario
