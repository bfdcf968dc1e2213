// The line description's table: layout, record forms, counts, orders and
// ranges, checked on the data itself.
#include "sources/dati_linea.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "sources/content_records.h"

namespace scenario {
namespace {

using testing::columns;
using testing::curve_record;
using testing::direction_board_record;
using testing::is_section_head;
using testing::line_curves;
using testing::line_direction_boards;
using testing::line_speed_boards;
using testing::line_tunnels;
using testing::section;
using testing::tunnel_record;

std::string_view line_at(size_t file_line) {
  return linea_lines()[file_line - 1];
}

bool contains(std::string_view line, std::string_view word) {
  return line.find(word) != std::string_view::npos;
}

std::string lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return out;
}

TEST(LineDescription, sections_stand_at_their_lines) {
  ASSERT_EQ(linea_lines().size(), 203u);
  const std::map<size_t, std::string_view> heads = {
      {1, "[generale]"},   {10, "[curve]"},     {138, "[pendenze]"},
      {140, "[montagne]"}, {171, "[cartelli]"}, {178, "[indicazioni]"},
      {203, "[fine]"}};
  for (size_t n = 1; n <= 203; ++n) {
    SCOPED_TRACE(n);
    const auto it = heads.find(n);
    if (it != heads.end()) {
      EXPECT_EQ(line_at(n), it->second);
    } else {
      EXPECT_FALSE(is_section_head(line_at(n))) << line_at(n);
      EXPECT_FALSE(line_at(n).empty());
    }
  }
}

TEST(LineDescription, general_block_is_written_as_fixed) {
  const std::vector<std::string_view> general = {
      "lunghezza percorso,    99500",
      "progressiva chilometrica uno,    0,    0,    0",
      "progressiva chilometrica due,    0,    0,    0",
      "progressiva chilometrica tre,    0,    0,    0",
      "sfondo uno,    0",
      "sfondo due,    1",
      "sfondo tre,    0",
      "ripetizione segnali 4 codici,    0    ,0",
  };
  for (size_t i = 0; i < general.size(); ++i) {
    EXPECT_EQ(line_at(i + 2), general[i]);
  }
  EXPECT_EQ(line_at(139), "pendenza,   0,    0");
}

TEST(LineDescription, no_line_holds_a_dash) {
  for (std::string_view l : linea_lines()) {
    EXPECT_FALSE(contains(l, "-")) << l;
  }
}

// The compiler recognises body records by words contained in their key
// (ignoring case); each record must match exactly its own kind, and no
// section head may match any.
std::vector<std::string> body_kinds(std::string_view key) {
  const std::string k = lower(key);
  std::vector<std::string> kinds;
  if (contains(k, "pendenza")) kinds.push_back("pendenza");
  if (contains(k, "curva")) kinds.push_back("curva");
  if (contains(k, "montagna")) kinds.push_back("montagna");
  if (contains(k, "indicatori_v")) kinds.push_back("indicatori_v");
  if (contains(k, "cartello") && contains(k, "indicat")) {
    kinds.push_back("cartello");
  }
  return kinds;
}

TEST(LineDescription, every_body_record_matches_only_its_own_kind) {
  const std::map<std::string_view, std::string> kind_of_section = {
      {"[curve]", "curva"},
      {"[pendenze]", "pendenza"},
      {"[montagne]", "montagna"},
      {"[cartelli]", "indicatori_v"},
      {"[indicazioni]", "cartello"}};
  for (const auto& [head, kind] : kind_of_section) {
    for (std::string_view l : section(linea_lines(), head)) {
      EXPECT_EQ(body_kinds(columns(l)[0]), std::vector<std::string>{kind}) << l;
    }
  }
  for (std::string_view l : linea_lines()) {
    if (is_section_head(l)) {
      EXPECT_TRUE(body_kinds(l).empty()) << l;
      for (std::string_view general_word :
           {"lunghezza", "progressiva", "sfondo", "ripetizione"}) {
        EXPECT_FALSE(contains(l, general_word)) << l;
      }
    }
  }
}

TEST(LineDescription, curve_records_keep_their_form_and_counts) {
  const std::regex form(R"(curva[sd][1-4],  (0|[1-9][0-9]*),  [1-9][0-9]*)");
  std::map<std::string, int> count;
  for (std::string_view l : section(linea_lines(), "[curve]")) {
    EXPECT_TRUE(std::regex_match(std::string(l), form)) << l;
  }
  for (const curve_record& c : line_curves()) ++count[c.key];
  const std::map<std::string, int> expected = {
      {"curvas1", 5}, {"curvas2", 14}, {"curvas3", 44}, {"curvas4", 5},
      {"curvad1", 1}, {"curvad2", 24}, {"curvad3", 29}, {"curvad4", 5}};
  EXPECT_EQ(count, expected);
}

TEST(LineDescription, curves_ascend_without_overlap_within_their_ranges) {
  const std::vector<curve_record> curves = line_curves();
  ASSERT_EQ(curves.size(), 127u);
  for (size_t i = 0; i < curves.size(); ++i) {
    const curve_record& c = curves[i];
    SCOPED_TRACE(c.key + " at " + std::to_string(c.posizione));
    EXPECT_GE(c.posizione, 0);
    EXPECT_LE(c.posizione, 99800);
    EXPECT_GE(c.lunghezza, 100);
    EXPECT_LE(c.lunghezza, 900);
    EXPECT_EQ(c.posizione % 50, 0);
    EXPECT_EQ(c.lunghezza % 50, 0);
    if (i > 0) {
      EXPECT_GT(c.posizione, curves[i - 1].posizione);
      EXPECT_GE(c.posizione, curves[i - 1].posizione + curves[i - 1].lunghezza);
    }
  }
  EXPECT_EQ(section(linea_lines(), "[curve]").front(), "curvas2,  0,  500");
  EXPECT_EQ(section(linea_lines(), "[curve]").back(), "curvad4,  99800,  400");
  const auto curve_rows = section(linea_lines(), "[curve]");
  for (std::string_view row : {"curvad1,  7850,  100", "curvad2,  700,  800",
                               "curvas4,  11450,  400"}) {
    EXPECT_EQ(std::count(curve_rows.begin(), curve_rows.end(), row), 1) << row;
  }
}

TEST(LineDescription, tunnel_records_keep_their_form_kinds_and_ranges) {
  const std::regex form(R"(montagna,   [1-9][0-9]*,  [1-9][0-9]*,  1[12])");
  for (std::string_view l : section(linea_lines(), "[montagne]")) {
    EXPECT_TRUE(std::regex_match(std::string(l), form)) << l;
  }
  const std::vector<tunnel_record> tunnels = line_tunnels();
  ASSERT_EQ(tunnels.size(), 30u);
  EXPECT_EQ(std::count_if(tunnels.begin(), tunnels.end(),
                          [](const auto& t) { return t.tipo == 11; }),
            25);
  EXPECT_EQ(std::count_if(tunnels.begin(), tunnels.end(),
                          [](const auto& t) { return t.tipo == 12; }),
            5);
  for (size_t i = 0; i < tunnels.size(); ++i) {
    const tunnel_record& t = tunnels[i];
    SCOPED_TRACE(t.inizio);
    EXPECT_GE(t.inizio, 3650);
    EXPECT_LE(t.inizio, 100050);
    EXPECT_GE(t.fine - t.inizio, 50);
    EXPECT_LE(t.fine - t.inizio, 8000);
    EXPECT_EQ(t.inizio % 50, 0);
    EXPECT_EQ(t.fine % 50, 0);
    if (i > 0) {
      EXPECT_GE(t.inizio, tunnels[i - 1].fine);
    }
  }
  const auto rows = section(linea_lines(), "[montagne]");
  EXPECT_EQ(rows.front(), "montagna,   3650,  3750,  12");
  EXPECT_EQ(rows.back(), "montagna,   100050,  100250,  11");
  EXPECT_EQ(
      std::count(rows.begin(), rows.end(), "montagna,   49750,  57750,  11"),
      1);
  EXPECT_EQ(
      std::count(rows.begin(), rows.end(), "montagna,   11450,  11700,  11"),
      1);
  const auto longest = std::max_element(
      tunnels.begin(), tunnels.end(), [](const auto& a, const auto& b) {
        return a.fine - a.inizio < b.fine - b.inizio;
      });
  EXPECT_EQ(longest->inizio, 49750);
  // The spans cover the whole stated range, 50 m to 8000 m.
  const auto shortest = std::min_element(
      tunnels.begin(), tunnels.end(), [](const auto& a, const auto& b) {
        return a.fine - a.inizio < b.fine - b.inizio;
      });
  EXPECT_EQ(shortest->fine - shortest->inizio, 50);
  EXPECT_EQ(longest->fine - longest->inizio, 8000);
}

TEST(LineDescription, speed_indicator_boards_are_the_six_fixed_rows) {
  const std::vector<std::string_view> expected = {
      "indicatori_vmax,  850,  90,  95,  95,  0,  ,  ,  ,  0",
      "indicatori_vmax,  35100,  65,  70,  70,  2,  ,  ,  ,  0",
      "indicatori_vmax,  35600,  65,  70,  70,  1,  ,  ,  ,  0",
      "indicatori_vmax,  36100,  65,  70,  70,  0,  ,  ,  ,  0",
      "indicatori_vmax,  49750,  110,  120,  120,  0,  ,  ,  ,  0",
      "indicatori_vmax,  59300,  90,  95,  95,  0,  ,  ,  ,  0",
  };
  EXPECT_EQ(section(linea_lines(), "[cartelli]"), expected);
}

// A board text: three parenthesised parts of one width.
struct board_parts {
  std::vector<std::string> part;  // without parentheses, padding kept
};

bool split_board(const std::string& text, board_parts* out) {
  static const std::regex form(R"(\(([^()]*)\)\(([^()]*)\)\(([^()]*)\))");
  std::smatch m;
  if (!std::regex_match(text, m, form)) return false;
  out->part = {m[1], m[2], m[3]};
  return true;
}

std::string trim_right(const std::string& s) {
  return s.substr(0, s.find_last_not_of(' ') + 1);
}

TEST(LineDescription, direction_board_texts_follow_the_padding_rule) {
  const std::regex form(R"(cartello_indicatore,  [1-9][0-9]*,   \(.*\))");
  for (std::string_view l : section(linea_lines(), "[indicazioni]")) {
    EXPECT_TRUE(std::regex_match(std::string(l), form)) << l;
  }
  const std::vector<direction_board_record> boards = line_direction_boards();
  ASSERT_EQ(boards.size(), 24u);
  for (size_t i = 0; i < boards.size(); ++i) {
    const direction_board_record& b = boards[i];
    SCOPED_TRACE(b.text);
    board_parts p;
    ASSERT_TRUE(split_board(b.text, &p));
    const size_t width = p.part[0].size();
    EXPECT_GE(width, 8u);
    EXPECT_LE(width, 15u);
    size_t widest = 0;
    for (const std::string& part : p.part) {
      EXPECT_EQ(part.size(), width);
      const std::string t = trim_right(part);
      EXPECT_FALSE(t.empty());
      EXPECT_NE(t.front(), ' ');
      widest = std::max(widest, t.size());
    }
    EXPECT_EQ(widest, width) << "padded wider than its widest part";
    EXPECT_EQ(trim_right(p.part[0]), "GALLERIA");
    // The third part ends with the length; a name that did not fit the
    // second part runs on in front of it.
    const std::string third = trim_right(p.part[2]);
    const size_t m = third.rfind("m.");
    ASSERT_NE(m, std::string::npos);
    EXPECT_TRUE(
        std::regex_match(third.substr(m), std::regex(R"(m\.[1-9][0-9]*)")));
    if (m > 0) {
      ASSERT_EQ(third[m - 1], ' ');
      const std::string name =
          trim_right(p.part[1]) + " " + third.substr(0, m - 1);
      EXPECT_GT(name.size(), 15u)
          << "a name of " << name.size() << " characters must not run on";
    } else {
      EXPECT_LE(trim_right(p.part[1]).size(), 15u);
    }
    EXPECT_EQ(b.text.find(','), std::string::npos);
    if (i > 0) {
      EXPECT_GT(b.posizione, boards[i - 1].posizione);
    }
  }
  const auto rows = section(linea_lines(), "[indicazioni]");
  for (std::string_view row :
       {"cartello_indicatore,  8850,   (GALLERIA )(VALDORMIA)(m.550    )",
        "cartello_indicatore,  49700,   (GALLERIA    )(DEL PRAVELLO)(m.8000    "
        "  )",
        "cartello_indicatore,  72200,   (GALLERIA       )(VESCOL S.      )"
        "(LORIANDO m.2500)"}) {
    EXPECT_EQ(std::count(rows.begin(), rows.end(), row), 1) << row;
  }
}

TEST(LineDescription, every_direction_board_stands_50_m_before_its_tunnel) {
  const std::vector<tunnel_record> tunnels = line_tunnels();
  std::set<int32_t> boarded;
  for (const direction_board_record& b : line_direction_boards()) {
    SCOPED_TRACE(b.text);
    const auto t = std::find_if(
        tunnels.begin(), tunnels.end(),
        [&](const tunnel_record& t) { return t.inizio == b.posizione + 50; });
    ASSERT_NE(t, tunnels.end()) << "no tunnel starts at " << b.posizione + 50;
    EXPECT_TRUE(boarded.insert(t->inizio).second) << "two boards, one tunnel";
    const std::string length = "m." + std::to_string(t->fine - t->inizio);
    board_parts p;
    ASSERT_TRUE(split_board(b.text, &p));
    const std::string third = trim_right(p.part[2]);
    EXPECT_EQ(third.substr(third.rfind("m.")), length);
  }
}

}  // namespace
}  // namespace scenario
