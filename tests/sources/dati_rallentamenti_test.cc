// The slow-order form: every line as laid out, the table's widths, and its
// agreement with the empty slowdown section of the train description.
#include "sources/dati_rallentamenti.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "sources/content_records.h"
#include "sources/dati_treno.h"

namespace scenario {
namespace {

// A table row of the form: six cells of 3, 28, 12, 10, 9, 12 characters, or
// cells 2 to 5 joined into one of 62.
std::string table_row(std::string_view fill) {
  std::string row = " |";
  for (int width : {3, 28, 12, 10, 9, 12}) {
    row += std::string(width, fill[0]) + "|";
  }
  return row;
}

std::string joined_row(std::string_view text) {
  std::string middle = std::string(26, ' ') + std::string(text);
  middle.resize(62, ' ');
  return " |   |" + middle + "|            |";
}

std::vector<std::string> expected_form() {
  const std::string empty_row = table_row(" ");
  const std::string rule = table_row("_");
  std::vector<std::string> form = {
      "",
      std::string(31, ' ') + "Modulo M. 3",
      std::string(27, ' ') + "ORDINE DI RALLENTAMENTO",
      " " + std::string(80, '_'),
      "  Linea  TARVENA_OLMISCO",
      "",
      "  Si ordina al macchinista del treno 4518 di effettuare i seguenti "
      "rallentamenti",
      "  " + std::string(79, '_'),
      " |   |                            |Inizio dopo |          |         |  "
      "          |",
      " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|"
      "Prescrizioni|",
      " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | "
      "specifiche |",
      rule,
      empty_row,
      empty_row,
      joined_row(""),
      joined_row("NESSUN RALLENTAMENTO"),
      joined_row(""),
  };
  for (int i = 0; i < 21; ++i) form.push_back(empty_row);
  form.push_back(rule);
  form.push_back("");
  form.push_back(std::string(14, ' ') + "Prescrizioni specifiche");
  form.push_back(
      " A - Da rispettare con tutto il treno (per i treni viaggiatori)");
  form.push_back(" B - Interessa anche la stazione di.......");
  form.push_back(" D - Rallentamneto N. ... e N. ...  sono contigui");
  form.push_back(" C - Da rispettare dalle ore ....  alle ore ..... di tutti");
  form.push_back("     i giorni esclusi i seguenti:.........");
  return form;
}

TEST(SlowOrderForm, every_line_is_as_laid_out) {
  const auto lines = rallentamenti_lines();
  const std::vector<std::string> form = expected_form();
  ASSERT_EQ(form.size(), 46u);
  ASSERT_EQ(lines.size(), 46u);
  for (size_t i = 0; i < form.size(); ++i) {
    EXPECT_EQ(lines[i], form[i]) << "line " << i + 1;
  }
}

TEST(SlowOrderForm, table_lines_are_82_characters) {
  const auto lines = rallentamenti_lines();
  for (size_t n = 9; n <= 39; ++n) {
    EXPECT_EQ(lines[n - 1].size(), 82u) << "line " << n;
  }
  EXPECT_EQ(lines[1].size(), 42u);
  EXPECT_EQ(lines[2].size(), 50u);
  EXPECT_EQ(lines[3].size(), 81u);
  EXPECT_EQ(lines[4].size(), 24u);
  EXPECT_EQ(lines[6].size(), 80u);
  EXPECT_EQ(lines[7].size(), 81u);
  EXPECT_EQ(lines[40].size(), 37u);
}

TEST(SlowOrderForm, lists_no_slowdown_like_the_train_description) {
  // The train description's slowdown section is empty, and no record
  // anywhere in it is a slowdown.
  EXPECT_TRUE(testing::section(treno_lines(), "[rallentamenti]").empty());
  for (std::string_view l : treno_lines()) {
    EXPECT_EQ(l.find("rallentamento"), std::string_view::npos) << l;
  }
  // The form's table holds no numbered row: only the one saying so.
  const auto lines = rallentamenti_lines();
  int rows_with_text = 0;
  for (size_t n = 13; n <= 38; ++n) {
    const std::string_view row = lines[n - 1];
    EXPECT_EQ(row.substr(0, 6), " |   |") << "line " << n;
    if (row.find_first_not_of(" |") != std::string_view::npos) {
      ++rows_with_text;
      EXPECT_NE(row.find("NESSUN RALLENTAMENTO"), std::string_view::npos);
    }
  }
  EXPECT_EQ(rows_with_text, 1);
}

}  // namespace
}  // namespace scenario
