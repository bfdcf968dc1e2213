#include "decoding/diff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/fixtures/descriptions.h"
#include "decoding/decoder.h"
#include "shell/run.h"
#include "testing/compiled_scenarios.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using lines = std::vector<std::string>;
using testing::crlf;

// A 3000 m line (cells 0 to 200, plan metres 0 to 10000) with one curve
// and one direction board.
std::string small_line(const std::string& curve = "curvad2,  100,  200") {
  return crlf({
      "[generale]",
      "lunghezza percorso,    3000",
      "ripetizione segnali 4 codici,    0    ,0",
      "[curve]",
      curve,
      "[indicazioni]",
      "cartello_indicatore,  2500,   (BIVIO)",
      "[fine]",
  });
}

// A train with a speed limit, one signal and one station.
struct train_parts {
  std::string cars = "numero vetture,    7";
  std::string speed = "velocita,   0,    30";
  std::string signal = "segnale,    1000,   1, 4, 1,  0, 0,    0,  0,0,0, 0";
  std::string station =
      "stazione,   5000, 12,  600,  0, 1, 1,  1,1,0,  4,1,1,   60,   7, 5, "
      "0, LUVEA";
};

std::string small_train(const train_parts& p) {
  return crlf({"[generale]", p.cars, "[vel_limite]", p.speed, "[segnali]",
               p.signal, "[stazioni]", p.station, "[fine]"});
}

scenario_model compiled(const std::string& line, const std::string& train) {
  scenario_model m;
  m.percorso = "Valle";
  m.treno = "R 12";
  const int status =
      compile_in_memory(m, 1, {"line.txt", line, ""}, {"train.txt", train, ""});
  EXPECT_EQ(status, exit_clean);
  for (const diagnostic& d : m.diagnostics) {
    ADD_FAILURE() << d.file << ":" << d.line << ": error " << d.codice;
  }
  return m;
}

scenario_model compiled(const train_parts& p) {
  return compiled(small_line(), small_train(p));
}

TEST(diff_scenarios, identical_compiles_have_no_difference) {
  const scenario_model a = compiled(train_parts{});
  const scenario_model b = compiled(train_parts{});
  EXPECT_EQ(diff_scenarios(a, b), lines{});
}

// Moving one signal from 1000 m to 1500 m: its cell empties, the new cell
// holds it, and the approach codes 2, 4, 6 and 8 cells before each follow.
// Nothing else of the scenario changes.
TEST(diff_scenarios, a_moved_signal_shows_its_cells_and_nothing_else) {
  train_parts moved;
  moved.signal = "segnale,    2000,   1, 4, 1,  0, 0,    0,  0,0,0, 0";
  const lines d = diff_scenarios(compiled(train_parts{}), compiled(moved));
  EXPECT_EQ(d, (lines{
                   "cell 13 (0+650): avviso 34 → 0",
                   "cell 15 (0+750): avviso 33 → 0",
                   "cell 17 (0+850): avviso 32 → 0",
                   "cell 19 (0+950): avviso 31 → 0",
                   "cell 21 (1+000): tipo 1 → 0, dato1 40 → 0, dato2 10 → 0, "
                   "dato4 3 → 0",
                   "cell 33 (1+650): avviso 0 → 34",
                   "cell 35 (1+750): avviso 0 → 33",
                   "cell 37 (1+850): avviso 0 → 32",
                   "cell 39 (1+950): avviso 0 → 31",
                   "cell 41 (2+000): tipo 0 → 1, dato1 0 → 40, dato2 0 → 10, "
                   "dato4 0 → 3",
               }));
}

TEST(diff_scenarios, one_changed_aspect_is_one_field_of_one_cell) {
  train_parts changed;
  changed.signal = "segnale,    1000,   1, 5, 1,  0, 0,    0,  0,0,0, 0";
  EXPECT_EQ(diff_scenarios(compiled(train_parts{}), compiled(changed)),
            lines{"cell 21 (1+000): dato1 40 → 50"});
}

// The same change over consecutive cells is one line with the range.
TEST(diff_scenarios, a_run_of_identical_cell_changes_shares_one_line) {
  train_parts faster;
  faster.speed = "velocita,   0,    35";
  EXPECT_EQ(diff_scenarios(compiled(train_parts{}), compiled(faster)),
            lines{"cells 0–197 (0+000–9+850): velocita_limite 6 → 7"});
}

TEST(diff_scenarios, entries_are_named_by_their_use) {
  train_parts later;
  later.cars = "numero vetture,    8";
  later.station =
      "stazione,   5000, 12,  600,  0, 1, 1,  1,1,0,  4,1,1,   60,   7, 6, "
      "0, LUVIA";
  EXPECT_EQ(diff_scenarios(compiled(train_parts{}), compiled(later)),
            (lines{
                "entry 1 (station LUVEA): nome \"LUVEA\" → \"LUVIA\", "
                "orario 25500 → 25560",
                "entry 84 (general values of the train): posizione (numero "
                "vetture) 7 → 8",
            }));

  // A board's entry is known by the cell that points to it; the route's
  // name changes its checksums in entry 85 and cell 1.
  scenario_model a = compiled(train_parts{});
  scenario_model b = compiled(train_parts{});
  b.voci[80].nome = "CITT\xC0";
  b.voci[85].nome = "Monte";
  EXPECT_EQ(diff_scenarios(a, b),
            (lines{
                "entry 80 (board (BIVIO)): nome \"(BIVIO)\" → \"CITTÀ\"",
                "entry 85 (general values of the route): nome (route) "
                "\"Valle\" → \"Monte\"",
            }));
}

// A longer curve turns every later metre of the plan: one range per
// coordinate from the first metre after the shorter curve up to the last
// drawn metre, the gap widest at the far end.
TEST(diff_scenarios, a_changed_curve_is_one_range_per_coordinate) {
  const scenario_model a = compiled(small_line(), small_train({}));
  const scenario_model b =
      compiled(small_line("curvad2,  100,  300"), small_train({}));
  const lines d = diff_scenarios(a, b);
  ASSERT_EQ(d.size(), 2u) << ::testing::PrintToString(d);
  for (int coord = 0; coord < 2; ++coord) {
    const std::string& l = d[coord];
    EXPECT_TRUE(l.starts_with(std::string("plan metres 301–9998: ") +
                              (coord == 0 ? "x" : "y") +
                              " differs in 9698 metres (largest "))
        << l;
    EXPECT_TRUE(l.ends_with(" at metre 9998)")) << l;
  }
}

// Another route name changes the name and the two checksums made from it
// (sums of "r 12valleaabb..." and "r 12monteaabb..."), nothing else.
TEST(diff_scenarios, another_route_name_changes_it_and_its_checksums) {
  scenario_model a;
  scenario_model b;
  testing::compile_every_kind(a, "Valle", "R 12");
  testing::compile_every_kind(b, "Monte", "R 12");
  EXPECT_EQ(diff_scenarios(a, b),
            (lines{
                "cell 1 (0+050): dato2 2385 → 2400",
                "entry 85 (general values of the route): nome (route) "
                "\"Valle\" → \"Monte\", orario (checksum) 32534 → 32651",
            }));
}

// What is read back from the files is what was compiled.
TEST(diff_scenarios, a_decoded_scenario_equals_its_compilation) {
  for (const bool with_plan : {true, false}) {
    testing::temp_dir dir;
    testing::write_every_kind(dir.path(), "Valle", "R 12", with_plan);
    scenario_model compiled_model;
    testing::compile_every_kind(compiled_model, "Valle", "R 12", with_plan);
    scenario_model decoded;
    const decode_result r =
        decode_scenario(dir.path(), "Valle", "R 12", decoded);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(diff_scenarios(compiled_model, decoded), lines{}) << with_plan;
  }
}

// Hand-made plans: ranges, gaps, single metres and kind changes.
scenario_model with_plan(int32_t last_metre) {
  scenario_model m;
  m.tracciato.create(last_metre);
  for (int32_t i = 0; i <= last_metre; ++i) {
    m.tracciato.set_double(i, 0, i * 0.5);
    m.tracciato.set_double(i, 1, i * 0.25);
  }
  return m;
}

TEST(diff_scenarios, plan_differences_are_grouped_into_ranges) {
  scenario_model a = with_plan(2000);
  scenario_model b = with_plan(2000);
  // y differs from 1200 to 1450, most at 1300, with equal metres between.
  for (int i = 1200; i <= 1450; i += 10) {
    b.tracciato.set_double(i, 1, a.tracciato.value(i, 1) + 0.01);
  }
  b.tracciato.set_double(1300, 1, a.tracciato.value(1300, 1) - 0.02);
  // One x metre, far from the rest.
  b.tracciato.set_double(100, 0, 50.125);
  // Kinds: a run of three, then a single one.
  for (int i = 1500; i <= 1502; ++i) b.tracciato.set_int16(i, 0, 7);
  b.tracciato.set_int16(1600, 1, 400);
  // A second y range, beyond the gap that closes the first.
  b.tracciato.set_double(1700, 1, 425.5);
  b.tracciato.set_double(1740, 1, 435.5);
  EXPECT_EQ(diff_scenarios(a, b),
            (lines{
                "plan metre 100: x 50 → 50.125",
                "plan metres 1200–1450: y differs in 26 metres (largest 0.02 "
                "at metre 1300)",
                "plan metres 1500–1502: x double → 16-bit",
                "plan metre 1600: y double 400 → 16-bit 400",
                "plan metres 1700–1740: y differs in 2 metres (largest 0.5 at "
                "metre 1700)",
            }));
}

TEST(diff_scenarios, differing_extents_are_reported_once_then_compared) {
  scenario_model a = with_plan(100);
  scenario_model b = with_plan(120);
  a.celle.resize(3);
  b.celle.resize(5);
  b.celle[2].pendenza = 101;
  b.tracciato.set_double(7, 0, -1);
  EXPECT_EQ(diff_scenarios(a, b),
            (lines{
                "cell count 3 → 5; the first 3 compared",
                "cell 2 (0+100): pendenza 0 → 101",
                "plan: 101 metres → 121 metres; the first 101 compared",
                "plan metre 7: x 3.5 → -1",
            }));
  scenario_model no_plan;
  no_plan.celle.resize(3);
  EXPECT_EQ(diff_scenarios(a, no_plan), lines{"plan: 101 metres → none"});
  EXPECT_EQ(diff_scenarios(no_plan, no_plan), lines{});
}

// A long stretch of nearby changes is summarised per field, still naming
// its range, each field, how many cells differ and, when they are few, the
// ways they change; with no limit every cell is listed.
TEST(diff_scenarios, long_stretches_are_summarised_per_field) {
  scenario_model a;
  a.celle.resize(200);
  scenario_model b = a;
  for (int i = 10; i < 60; ++i) b.celle[i].pendenza = 100 + i;
  b.celle[61].tipo = tipo_cella::segnale;
  b.celle[62].avviso = 31;
  b.celle[63].tipo = tipo_cella::segnale;
  b.celle[64].avviso = 32;
  b.celle[150].aderenza = 3;  // too far to belong to the stretch
  EXPECT_EQ(diff_scenarios(a, b),
            (lines{
                "cells 10–64 (0+500–3+200): tipo differs in 2 cells (0 → 1 "
                "in 2)",
                "cells 10–64 (0+500–3+200): avviso differs in 2 cells (0 → "
                "31 in 1, 0 → 32 in 1)",
                "cells 10–64 (0+500–3+200): pendenza differs in 50 cells",
                "cell 150 (7+500): aderenza 0 → 3",
            }));
  const lines all = diff_scenarios(a, b, {.max_stretch_lines = 0});
  ASSERT_EQ(all.size(), 55u);
  EXPECT_EQ(all[0], "cell 10 (0+500): pendenza 0 → 110");
  EXPECT_EQ(all[50], "cell 61 (3+000): tipo 0 → 1");
}

TEST(quote_entry_text, gives_readable_utf8) {
  EXPECT_EQ(quote_entry_text(""), "\"\"");
  EXPECT_EQ(quote_entry_text("S. MAR\xCD"), "\"S. MARÍ\"");
  EXPECT_EQ(quote_entry_text("\x80 5"), "\"€ 5\"");
  EXPECT_EQ(quote_entry_text("a\"b\\c\x01"), "\"a\\\"b\\\\c\\x01\"");
}

}  // namespace
}  // namespace scenario
