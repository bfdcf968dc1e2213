#include "model/model.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(div_round_even, rounds_halves_to_the_even_neighbour) {
  const struct {
    int64_t num, den, want;
  } cases[] = {
      {106500, 50, 2130}, {25, 50, 0},     {75, 50, 2},     {125, 50, 2},
      {175, 50, 4},       {7025, 50, 140}, {7075, 50, 142}, {26, 50, 1},
      {24, 50, 0},        {-25, 50, 0},    {-75, 50, -2},   {-26, 50, -1},
      {-50, 50, -1},      {0, 50, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(div_round_even(c.num, c.den), c.want) << c.num << "/" << c.den;
  }
}

TEST(create_cells, builds_cells_and_plan_from_the_line_length) {
  scenario_model m;
  m.con_tracciato = 1;
  create_cells(m, 99500);
  EXPECT_EQ(m.lunghezza_estesa, 106500);
  EXPECT_EQ(m.numero_celle, 2130);
  EXPECT_EQ(m.celle.size(), 2131u);
  EXPECT_EQ(m.tracciato.size(), 106501);
  EXPECT_EQ(m.tracciato.kind(106500, 1), tracciato_t::genere::vuoto);
  for (const cella& c : m.celle) EXPECT_EQ(c.tipo, 0);
}

TEST(create_cells, without_plan_no_plan_exists) {
  scenario_model m;
  m.con_tracciato = 0;
  create_cells(m, 25);
  EXPECT_EQ(m.numero_celle, 140);  // 7025 / 50 = 140.5, to the even 140
  EXPECT_FALSE(m.tracciato.exists());
  create_cells(m, 75);
  EXPECT_EQ(m.numero_celle, 142);  // 7075 / 50 = 141.5, to the even 142
}

TEST(reset, clears_entries_and_code_but_keeps_the_position) {
  scenario_model m;
  m.voci[0].nome = "x";
  m.voci[86].num3 = 7;
  m.voci[5].orario = 99;
  m.codice_errore = 16;
  m.posizione_errore = 2400;
  m.diagnostics.push_back({16, 2400, "f", 3, "", 0, 0, "", {}});
  reset(m, 1);
  for (const voce& v : m.voci) {
    EXPECT_TRUE(v.nome.empty());
    EXPECT_EQ(v.num3, 0);
    EXPECT_EQ(v.orario, 0);
  }
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(m.posizione_errore, 2400);
  EXPECT_EQ(m.con_tracciato, 1);
  EXPECT_TRUE(m.diagnostics.empty());
}

TEST(record_error, later_code_overwrites_and_every_code_is_kept) {
  scenario_model m;
  record_error(m, 16, 2400, "train.txt", 42);
  record_error(m, 2);
  EXPECT_EQ(m.codice_errore, 2);
  EXPECT_EQ(m.posizione_errore, 2400);  // code 2 records no position
  ASSERT_EQ(m.diagnostics.size(), 2u);
  EXPECT_EQ(m.diagnostics[0].file, "train.txt");
  EXPECT_EQ(m.diagnostics[0].line, 42);
}

}  // namespace
}  // namespace scenario
