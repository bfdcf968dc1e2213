// The train and service description's table: layout, record widths and
// values, orders, station zones, and the speed limits against the boards of
// the line description.
#include "sources/dati_treno.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "sources/content_records.h"

namespace scenario {
namespace {

using testing::columns;
using testing::is_section_head;
using testing::line_speed_boards;
using testing::right_aligned;
using testing::section;
using testing::signal_record;
using testing::speed_board_record;
using testing::speed_limit_record;
using testing::station_record;
using testing::train_signals;
using testing::train_speed_limits;
using testing::train_stations;
using testing::zone_of;

std::string_view line_at(size_t file_line) {
  return treno_lines()[file_line - 1];
}

bool contains(std::string_view s, std::string_view word) {
  return s.find(word) != std::string_view::npos;
}

std::string lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return out;
}

TEST(TrainDescription, fixed_lines_and_sections_stand_in_place) {
  ASSERT_EQ(treno_lines().size(), 69u);
  const std::map<size_t, std::string_view> fixed = {
      {1, "[generale]"},
      {2, "numero vetture,    7"},
      {3, "percentuale massa frenata,    100"},
      {4, "sabbia,    0"},
      {5, "orologio,    7               5             30 "},
      {6, "[aderenze]"},
      {7, "aderenza,   0,    100"},
      {8, "[vel_limite]"},
      {9, "velocita,   0,    30"},
      {10, "velocita,     850,    95"},
      {11, "velocita,   36100,    70"},
      {12, "velocita,   49700,   120"},
      {13, "velocita,   59300,    95"},
      {14, "velocita,   99100,    30"},
      {15, "[stazioni]"},
      {36, "[rallentamenti]"},
      {37, "[segnali]"},
      {68, "[codici]"},
      {69, "[fine]"}};
  for (size_t n = 1; n <= 69; ++n) {
    SCOPED_TRACE(n);
    const auto it = fixed.find(n);
    if (it != fixed.end()) {
      EXPECT_EQ(line_at(n), it->second);
    } else {
      EXPECT_FALSE(is_section_head(line_at(n))) << line_at(n);
      EXPECT_FALSE(line_at(n).empty());
    }
  }
  EXPECT_TRUE(section(treno_lines(), "[rallentamenti]").empty());
  EXPECT_TRUE(section(treno_lines(), "[codici]").empty());
}

// The compiler's tests on a key of this file, in its order.
std::vector<std::string> train_kinds(std::string_view key) {
  const std::string k = lower(key);
  std::vector<std::string> kinds;
  if (contains(k, "frenata") && contains(k, "massa")) kinds.push_back("massa");
  if (contains(k, "vetture")) kinds.push_back("vetture");
  if (contains(k, "velocit")) kinds.push_back("velocita");
  if (contains(k, "aderenza")) kinds.push_back("aderenza");
  if (contains(k, "orologio")) kinds.push_back("orologio");
  if (contains(k, "sabbia")) kinds.push_back("sabbia");
  if (contains(k, "segnale")) kinds.push_back("segnale");
  if (contains(k, "rallentamento")) kinds.push_back("rallentamento");
  if (contains(k, "abbattimento")) kinds.push_back("abbattimento");
  if (contains(k, "stazione")) kinds.push_back("stazione");
  return kinds;
}

TEST(TrainDescription, keys_match_one_kind_and_heads_none) {
  const std::map<std::string_view, std::string> kind_of_section = {
      {"[aderenze]", "aderenza"},
      {"[vel_limite]", "velocita"},
      {"[stazioni]", "stazione"},
      {"[segnali]", "segnale"}};
  for (const auto& [head, kind] : kind_of_section) {
    for (std::string_view l : section(treno_lines(), head)) {
      EXPECT_EQ(train_kinds(columns(l)[0]), std::vector<std::string>{kind})
          << l;
    }
  }
  for (size_t n = 2; n <= 5; ++n) {
    EXPECT_EQ(train_kinds(columns(line_at(n))[0]).size(), 1u) << line_at(n);
  }
  for (std::string_view l : treno_lines()) {
    if (is_section_head(l)) {
      EXPECT_TRUE(train_kinds(l).empty()) << l;
    } else {
      EXPECT_FALSE(contains(columns(l)[0], "-")) << l;
    }
  }
}

TEST(TrainDescription, dashes_stand_only_in_station_names) {
  const auto stations = section(treno_lines(), "[stazioni]");
  for (std::string_view l : treno_lines()) {
    const bool station =
        std::find(stations.begin(), stations.end(), l) != stations.end();
    const auto c = columns(l);
    for (size_t i = 0; i < c.size(); ++i) {
      if (station && i + 1 == c.size()) continue;
      EXPECT_FALSE(contains(c[i], "-")) << l;
    }
  }
}

TEST(TrainDescription, speed_limits_change_at_the_speed_indicator_boards) {
  const std::vector<speed_limit_record> limits = train_speed_limits();
  ASSERT_EQ(limits.size(), 6u);
  for (size_t i = 1; i < limits.size(); ++i) {
    EXPECT_GT(limits[i].posizione, limits[i - 1].posizione);
  }
  const std::vector<speed_board_record> boards = line_speed_boards();
  // The changes from 850 to 59300 stand at a board or 50 m before it, and
  // take the highest speed that board shows.
  for (const speed_limit_record& l : limits) {
    if (l.posizione < 850 || l.posizione > 59300) continue;
    SCOPED_TRACE(l.posizione);
    const auto b = std::find_if(
        boards.begin(), boards.end(), [&](const speed_board_record& b) {
          return b.posizione == l.posizione || b.posizione == l.posizione + 50;
        });
    ASSERT_NE(b, boards.end());
    const int32_t highest =
        std::max({b->values[0], b->values[1], b->values[2]});
    EXPECT_EQ(l.velocita, highest);
  }
  // Widths: position in 8 (the first record: "   0"), speed in 6.
  for (std::string_view l : section(treno_lines(), "[vel_limite]")) {
    const auto c = columns(l);
    EXPECT_TRUE(right_aligned(c[1], 8) || c[1] == "   0") << l;
    EXPECT_TRUE(right_aligned(c[2], 6)) << l;
  }
}

constexpr size_t station_width[17] = {0, 8, 3, 5, 3, 2, 2, 3, 1,
                                      1, 3, 1, 1, 5, 4, 2, 2};

TEST(TrainDescription, station_fields_have_their_widths) {
  for (std::string_view l : section(treno_lines(), "[stazioni]")) {
    const auto c = columns(l);
    ASSERT_EQ(c.size(), 18u) << l;
    EXPECT_EQ(c[0], "stazione");
    for (size_t i = 1; i <= 16; ++i) {
      EXPECT_TRUE(right_aligned(c[i], station_width[i]))
          << "field " << i << " of " << l;
    }
    const std::string_view name = c[17];
    ASSERT_GE(name.size(), 2u) << l;
    EXPECT_EQ(name[0], ' ');
    EXPECT_NE(name[1], ' ');
    EXPECT_NE(name.back(), ' ');
    for (char ch : name.substr(1)) {
      EXPECT_TRUE((ch >= 'A' && ch <= 'Z') || ch == ' ' || ch == '.' ||
                  ch == '-')
          << l;
    }
  }
}

TEST(TrainDescription, station_values_stay_in_their_sets) {
  const std::vector<station_record> stations = train_stations();
  ASSERT_EQ(stations.size(), 20u);
  const std::map<size_t, std::set<int32_t>> allowed = {{2, {4, 12, 22, 26}},
                                                       {4, {0, 1}},
                                                       {5, {0, 1}},
                                                       {6, {0, 1}},
                                                       {7, {0, 1, 4}},
                                                       {8, {0, 1}},
                                                       {9, {0}},
                                                       {10, {0, 2, 4}},
                                                       {11, {0, 1}},
                                                       {12, {0, 1}},
                                                       {13, {0, 1, 60}},
                                                       {14, {0, 7, 8}},
                                                       {16, {0}}};
  for (size_t n = 0; n < stations.size(); ++n) {
    const station_record& s = stations[n];
    SCOPED_TRACE(s.nome);
    for (const auto& [field, values] : allowed) {
      EXPECT_TRUE(values.count(s.field[field])) << "field " << field;
    }
    EXPECT_EQ(s.posizione() % 50, 0);
    EXPECT_EQ(s.lunghezza() % 100, 0);
    EXPECT_GE(s.lunghezza(), 200);
    EXPECT_LE(s.lunghezza(), 700);
    EXPECT_LE(s.field[15], 59);
    const bool end = n == 0 || n + 1 == stations.size();
    EXPECT_EQ(s.field[4], end ? 1 : 0);
    // The compiler clears field 5 below 600 m; the content never sets it
    // there.
    if (s.field[5] == 1) {
      EXPECT_GE(s.lunghezza(), 600);
    }
    if (s.tipo() == 26) {
      for (size_t f = 4; f <= 16; ++f) EXPECT_EQ(s.field[f], 0) << f;
    }
    if (n > 0) {
      EXPECT_GT(s.posizione(), stations[n - 1].posizione());
    }
  }
  std::map<int32_t, int> kinds;
  for (const station_record& s : stations) ++kinds[s.tipo()];
  EXPECT_EQ(kinds, (std::map<int32_t, int>{{4, 1}, {12, 9}, {22, 1}, {26, 9}}));
  EXPECT_EQ(stations.front().posizione(), 200);
  EXPECT_EQ(stations.back().posizione(), 101200);
  EXPECT_EQ(stations.back().tipo(), 4);
}

TEST(TrainDescription, origin_stops_and_terminus_carry_the_timetable) {
  const std::vector<station_record> stations = train_stations();
  ASSERT_EQ(stations.size(), 20u);
  auto hm = [](int h, int m) { return (h * 60 + m) * 60; };
  EXPECT_EQ(stations.front().flag3(), 1);
  EXPECT_EQ(stations.front().seconds_of_day(), hm(7, 5));
  EXPECT_EQ(stations.back().flag3(), 0);
  EXPECT_EQ(stations.back().seconds_of_day(), hm(8, 44));
  std::vector<int32_t> stops;
  for (size_t n = 1; n + 1 < stations.size(); ++n) {
    const station_record& s = stations[n];
    SCOPED_TRACE(s.nome);
    if (s.flag3() == 60) {
      EXPECT_EQ(s.tipo(), 12);
      stops.push_back(s.seconds_of_day());
    } else {
      EXPECT_EQ(s.flag3(), 0);
      EXPECT_EQ(s.seconds_of_day(), 0);
      EXPECT_EQ(s.field[14] + s.field[15] + s.field[16], 0);
    }
  }
  EXPECT_EQ(stops, (std::vector<int32_t>{hm(7, 14), hm(7, 30), hm(7, 41),
                                         hm(7, 54), hm(8, 12)}));
  const auto rows = section(treno_lines(), "[stazioni]");
  EXPECT_EQ(rows.front(),
            "stazione,     200, 12,  700,  1, 1, 1,  4,1,0,  2,1,1,    1,   "
            "7, 5, 0, TARVENA");
  EXPECT_EQ(rows.back(),
            "stazione,  101200,  4,  700,  1, 1, 1,  1,1,0,  2,1,1,    0,   "
            "8,44, 0, OLMISCO");
  EXPECT_EQ(std::count(rows.begin(), rows.end(),
                       "stazione,   17600, 12,  600,  0, 1, 1,  1,1,0,  "
                       "4,1,1,   60,   7,30, 0, LUVEA"),
            1);
}

TEST(TrainDescription, station_zones_keep_more_than_2000_m_apart) {
  const std::vector<station_record> stations = train_stations();
  ASSERT_EQ(stations.size(), 20u);
  // Station 1: 700 m with field 6 set ends at 600.
  EXPECT_EQ(zone_of(stations[0]).inizio, -150);
  EXPECT_EQ(zone_of(stations[0]).fine, 600);
  for (size_t n = 1; n < stations.size(); ++n) {
    SCOPED_TRACE(stations[n].nome);
    const int32_t gap =
        zone_of(stations[n]).inizio - zone_of(stations[n - 1]).fine;
    EXPECT_GT(gap, 2000);
  }
}

TEST(TrainDescription, station_names_are_unique) {
  std::set<std::string> names;
  for (const station_record& s : train_stations()) {
    EXPECT_TRUE(names.insert(s.nome).second) << s.nome;
  }
}

constexpr size_t signal_width[12] = {0, 8, 4, 2, 2, 3, 2, 5, 3, 1, 1, 2};

TEST(TrainDescription, signal_records_have_their_widths_and_values) {
  for (std::string_view l : section(treno_lines(), "[segnali]")) {
    const auto c = columns(l);
    ASSERT_EQ(c.size(), 12u) << l;
    EXPECT_EQ(c[0], "segnale");
    for (size_t i = 1; i <= 11; ++i) {
      EXPECT_TRUE(right_aligned(c[i], signal_width[i]))
          << "field " << i << " of " << l;
    }
  }
  const std::vector<signal_record> signals = train_signals();
  ASSERT_EQ(signals.size(), 30u);
  int left_kind_1 = 0;
  for (size_t n = 0; n < signals.size(); ++n) {
    const signal_record& s = signals[n];
    SCOPED_TRACE(s.posizione());
    EXPECT_GE(s.posizione(), 2400);
    EXPECT_LE(s.posizione(), 99100);
    EXPECT_EQ(s.posizione() % 50, 0);
    EXPECT_TRUE(s.sx() == 1 || s.sx() == 2);
    EXPECT_GE(s.field[3], 2);
    EXPECT_LE(s.field[3], 5);
    EXPECT_TRUE(s.field[4] == 1 || s.field[4] == 3 || s.field[4] == 4);
    for (size_t f = 5; f <= 11; ++f) EXPECT_EQ(s.field[f], 0) << f;
    if (s.sx() == 1) ++left_kind_1;
    if (n > 0) {
      EXPECT_GT(s.posizione(), signals[n - 1].posizione());
    }
  }
  EXPECT_EQ(left_kind_1, 14);
  const auto rows = section(treno_lines(), "[segnali]");
  EXPECT_EQ(rows.front(),
            "segnale,    2400,   1, 4, 1,  0, 0,    0,  0,0,0, 0");
  EXPECT_EQ(rows.back(), "segnale,   99100,   2, 2, 3,  0, 0,    0,  0,0,0, 0");
  EXPECT_EQ(std::count(rows.begin(), rows.end(),
                       "segnale,   97900,   1, 3, 4,  0, 0,    0,  0,0,0, 0"),
            1);
}

}  // namespace
}  // namespace scenario
