// Reading the line for the running-time calculation out of a compiled
// model: the limits, gradients and slowdowns of the cells metre by metre,
// the curves of the records, the timed stations in order with the first and
// last a stop, a time past midnight read as the next day, and a station off
// the line refused in the reader's language.
#include "running/running_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace scenario {
namespace {

// `cells` cells of 100 km/h on the level.
scenario_model line_of(size_t cells) {
  scenario_model m;
  m.celle.assign(cells, cella{});
  for (cella& c : m.celle) {
    c.velocita_limite = 20;  // in steps of 5 km/h
    c.pendenza = 100;        // 0 per mille
  }
  return m;
}

void put_station(scenario_model& m, int entry, const char* name, int32_t at_m,
                 int32_t time_s, uint8_t dwell_s = 0) {
  voce& v = m.voci[entry];
  v.nome = name;
  v.posizione = at_m;
  v.orario = time_s;
  v.flag3 = dwell_s;
}

TEST(running_line, cells_give_limits_gradients_and_slowdowns_by_metre) {
  scenario_model m = line_of(40);    // 2000 m
  m.celle[10].velocita_limite = 12;  // 60 km/h from 500 m
  m.celle[10].pendenza = 112;        // 12 per mille up from 500 m
  m.celle[11].pendenza = 95;         // 5 per mille down from 550 m
  // A slowdown at 30 km/h marked in cells 21 to 31: objects stand for the
  // cell before theirs, so it runs from 1000 m to 1500 m.
  m.celle[21].tipo = tipo_cella::inizio_rallentamento;
  m.celle[21].dato1 = 30;
  m.celle[31].tipo = tipo_cella::fine_rallentamento;
  const running_line line = read_running_line(m, nullptr, translator());
  ASSERT_EQ(line.metres(), 2000u);
  EXPECT_EQ(line.line_limit_kmh.at(499), 100);
  EXPECT_EQ(line.line_limit_kmh.at(500), 60);
  EXPECT_EQ(line.line_limit_kmh.at(549), 60);
  EXPECT_EQ(line.line_limit_kmh.at(550), 100);
  EXPECT_EQ(line.gradient_permille.at(520), 12);
  EXPECT_EQ(line.gradient_permille.at(560), -5);
  EXPECT_EQ(line.gradient_permille.at(600), 0);
  EXPECT_EQ(line.slowdown_kmh.at(999), 0);
  EXPECT_EQ(line.slowdown_kmh.at(1000), 30);
  EXPECT_EQ(line.slowdown_kmh.at(1499), 30);
  EXPECT_EQ(line.slowdown_kmh.at(1500), 0);
  // Without the descriptions no curve is known.
  EXPECT_FALSE(line.curves_known);
  EXPECT_EQ(line.curve_radius_m.changes().size(), 1u);
  EXPECT_EQ(line.curve_radius_m.at(0), 0);
}

TEST(running_line, curve_records_give_the_radius_where_they_lie) {
  const scenario_model m = line_of(40);
  const std::vector<curve_stretch> curves = {{300, 200, 800}, {1200, 100, 400}};
  const running_line line = read_running_line(m, &curves, translator());
  EXPECT_TRUE(line.curves_known);
  EXPECT_EQ(line.curve_radius_m.at(299), 0);
  EXPECT_EQ(line.curve_radius_m.at(300), 800);
  EXPECT_EQ(line.curve_radius_m.at(499), 800);
  EXPECT_EQ(line.curve_radius_m.at(500), 0);
  EXPECT_EQ(line.curve_radius_m.at(1250), 400);
}

TEST(running_line, timed_stations_come_in_order_and_the_ends_stop) {
  scenario_model m = line_of(100);  // 5000 m
  // Written out of order; the untimed one is no point.
  put_station(m, 1, "C", 4000, 9 * 3600 + 600, 30);
  put_station(m, 2, "A", 100, 9 * 3600, 60);
  put_station(m, 3, "B", 2000, 9 * 3600 + 300, 45);
  put_station(m, 4, "U", 3000, 0);
  const running_line line = read_running_line(m, nullptr, translator());
  ASSERT_EQ(line.points.size(), 3u);
  EXPECT_EQ(line.points[0].name, "A");
  EXPECT_EQ(line.points[0].entry, 2);
  EXPECT_EQ(line.points[1].name, "B");
  EXPECT_EQ(line.points[2].name, "C");
  EXPECT_EQ(line.points[1].position_m, 2000);
  EXPECT_EQ(line.points[1].dwell_s, 45);
  EXPECT_EQ(line.points[1].arrival_s(), 9 * 3600 + 300 - 45);
  // The run starts at the first departure and ends at the last arrival.
  EXPECT_TRUE(line.points.front().stop);
  EXPECT_EQ(line.points.front().dwell_s, 0);
  EXPECT_TRUE(line.points.back().stop);
  EXPECT_EQ(line.points.back().dwell_s, 0);
  EXPECT_TRUE(line.next_day.empty());
  EXPECT_TRUE(line.damage.empty());
}

TEST(running_line, a_time_before_the_one_before_is_the_next_day) {
  scenario_model m = line_of(100);
  put_station(m, 1, "A", 100, 23 * 3600 + 50 * 60);
  put_station(m, 2, "B", 2000, 23 * 3600 + 58 * 60, 60);
  put_station(m, 3, "C", 4000, 10 * 60);
  const running_line line = read_running_line(m, nullptr, translator());
  ASSERT_EQ(line.points.size(), 3u);
  EXPECT_EQ(line.next_day, std::vector<size_t>{2});
  EXPECT_EQ(line.points[2].time_s, 24 * 3600 + 10 * 60);
}

TEST(running_line, a_timed_station_off_the_line_times_nothing) {
  scenario_model m = line_of(100);  // 5000 m
  put_station(m, 1, "A", 100, 9 * 3600);
  put_station(m, 2, "B", 7000, 9 * 3600 + 600);
  const running_line en = read_running_line(m, nullptr, translator());
  EXPECT_EQ(en.damage,
            "the timed station in entry 2 stands at 7000 m, off the line (0 "
            "to 5000 m): the stations cannot be read in order");
  const running_line it =
      read_running_line(m, nullptr, translator::for_locale("it"));
  EXPECT_EQ(it.damage,
            "la stazione con orario della voce 2 sta a 7000 m, fuori dalla "
            "linea (da 0 a 5000 m): le stazioni non si possono leggere in "
            "ordine");
  // A station before the line is off it too.
  m.voci[1].posizione = -50;
  EXPECT_NE(read_running_line(m, nullptr, translator())
                .damage.find("entry 1 stands at -50 m, off the line"),
            std::string::npos);
}

}  // namespace
}  // namespace scenario
