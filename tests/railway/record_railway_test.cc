// The railway read out of the records of a description pair, as the
// compiler read them: stations as stop or pass, boards and the tunnels they
// reach and name, speed boards by side, slowdowns with their warning, and
// the cell each record's position claims.
#include "railway/record_railway.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "compiler/fixtures/descriptions.h"
#include "pipeline/compile.h"

namespace scenario::railway {
namespace {

using testing::line_description;
using testing::train_description;

// The records of a pair compiled the checker's way (a refused record is
// kept and reading goes on).
record_list records_of(const std::vector<std::string>& line,
                                       const std::vector<std::string>& train) {
  scenario_model m;
  m.percorso = "R";
  m.treno = "T";
  record_collector collector;
  compile_in_memory(m, 0, {"l", line_description(20000, line), ""},
                    {"t", train_description(train), ""},
                    {.keep_going = true, .observer = &collector});
  return collector.take_records();
}

const record_as_read& nth(const record_list& records,
                          record_kind kind, int n) {
  for (const record_as_read& r : records) {
    if (r.kind == kind && n-- == 0) return r;
  }
  throw std::logic_error("no such record");
}

std::string station(int position, int dwell, int hours, int minutes,
                    const std::string& name) {
  return "stazione, " + std::to_string(position) +
         ", 12, 700, 1, 1, 1, 4, 1, 0, 2, 1, 1, " + std::to_string(dwell) +
         ", " + std::to_string(hours) + ", " + std::to_string(minutes) +
         ", 0, " + name;
}

// The first and the last timed station are stops whatever their dwell; in
// between only a dwell stops the train. A station the compiler refused
// (off the 50 m grid) is in no railway and moves neither end.
TEST(record_railway, stations_are_stops_or_passes_in_record_order) {
  const record_list records = records_of(
      {},
      {station(1000, 0, 7, 0, "ALFA"), station(4000, 0, 0, 0, "BETA"),
       station(7000, 0, 7, 10, "GAMMA"), station(10000, 30, 7, 20, "DELTA"),
       station(13000, 0, 7, 30, "EPSILON"), station(16025, 0, 7, 40, "ZETA")});
  const record_railway rail(records);
  const struct {
    const char* name;
    bool stops;
    int64_t time_s;
  } want[] = {{"ALFA", true, 25200},
              {"BETA", false, 0},
              {"GAMMA", false, 25800},
              {"DELTA", true, 26400},
              {"EPSILON", true, 27000}};
  ASSERT_EQ(rail.stations().size(), std::size(want));
  for (size_t i = 0; i < std::size(want); ++i) {
    SCOPED_TRACE(want[i].name);
    const station_fact& s = rail.stations()[i];
    EXPECT_EQ(s.record->text(), want[i].name);
    EXPECT_EQ(s.stops, want[i].stops);
    EXPECT_EQ(s.time_s, want[i].time_s);
    EXPECT_EQ(rail.station(*s.record), &s);
  }
  const record_as_read& zeta = nth(records, record_kind::station, 5);
  ASSERT_EQ(zeta.text(), "ZETA");
  EXPECT_FALSE(zeta.accepted);
  EXPECT_EQ(rail.station(zeta), nullptr);
  EXPECT_EQ(station_time_s(zeta), 27600);
}

// Of two GALLERIA boards before one entrance the nearest names the tunnel;
// the farther still reaches it (and its stated length is checked against
// it); a board without the group names nothing; a tunnel no board reaches
// has no name.
TEST(record_railway, boards_reach_and_name_tunnels_by_the_rule) {
  const record_list records = records_of(
      {"montagna,   1000,  1400,  12", "montagna,   5000,  5300,  1",
       "cartello_indicatore,  850,   (GALLERIA )(ALTRO)(m.400)",
       "cartello_indicatore,  950,   (GALLERIA )(VALDORMIA)(m.550    )",
       "cartello_indicatore,  4700,   (GALLERIA )(LONTANA)(m.300)",
       "cartello_indicatore,  3000,   (LUVEA)"},
      {});
  const record_railway rail(records);
  const record_as_read& first = nth(records, record_kind::tunnel, 0);
  const record_as_read& second = nth(records, record_kind::tunnel, 1);
  ASSERT_EQ(rail.tunnels().size(), 2u);
  const tunnel_fact* t = rail.tunnel(first);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->kind, 2);
  EXPECT_TRUE(t->markers);
  EXPECT_EQ(t->name, "VALDORMIA");
  EXPECT_EQ(t->named_by, &nth(records, record_kind::direction_board, 1));
  const tunnel_fact* u = rail.tunnel(second);
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->kind, 1);
  EXPECT_FALSE(u->markers);
  EXPECT_EQ(u->name, "");  // the board at 4700 stands 300 m before it
  EXPECT_EQ(u->named_by, nullptr);

  const struct {
    int board;
    const char* name;
    std::optional<int64_t> stated;
    const record_as_read* reaches;
  } want[] = {{0, "ALTRO", 400, &first},
              {1, "VALDORMIA", 550, &first},
              {2, "LONTANA", 300, nullptr},
              {3, "", std::nullopt, nullptr}};
  for (const auto& w : want) {
    SCOPED_TRACE(w.board);
    const direction_board_fact* b = rail.direction_board(
        nth(records, record_kind::direction_board, w.board));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->tunnel_name, w.name);
    EXPECT_EQ(b->stated_length, w.stated);
    EXPECT_EQ(b->reaches, w.reaches);
  }
  EXPECT_EQ(rail.station(first), nullptr);  // a tunnel is no station
}

// A speed board's fields 1 to 4 are its left side (three speeds and the
// stripes), 5 to 8 its right; a slowdown past 1500 m has its warning
// 1200 m before the start with the slowdown's speed, one at or before
// 1500 m none, nor approach marks.
TEST(record_railway, speed_boards_by_side_and_slowdowns_with_their_warning) {
  const record_list records =
      records_of({"indicatori_vmax, 2000, 90, 95, 100, 1, 60, 65, 70, 2"},
                 {"rallentamento, 8000, 30, 500, 1, 1, 0",
                  "rallentamento, 1500, 40, 200, 1, 1, 0",
                  "rallentamento, 12000, 50, 300, 1, 0, 0"});
  const record_railway rail(records);
  ASSERT_EQ(rail.speed_boards().size(), 1u);
  const board_sides& sides = rail.speed_boards()[0].sides;
  EXPECT_EQ(sides.left.speeds_kmh, (std::array<int, 3>{90, 95, 100}));
  EXPECT_EQ(sides.left.stripes, 1);
  EXPECT_EQ(sides.right.speeds_kmh, (std::array<int, 3>{60, 65, 70}));
  EXPECT_EQ(sides.right.stripes, 2);

  const struct {
    int64_t start, length;
    int speed;
    std::optional<int64_t> warning;
    bool approach;
  } want[] = {{8000, 500, 30, 6800, true},
              {1500, 200, 40, std::nullopt, false},
              {12000, 300, 50, 10800, false}};
  ASSERT_EQ(rail.slowdowns().size(), std::size(want));
  for (size_t i = 0; i < std::size(want); ++i) {
    SCOPED_TRACE(want[i].start);
    const slowdown_fact& d = rail.slowdowns()[i];
    EXPECT_EQ(d.start_m, want[i].start);
    EXPECT_EQ(d.length_m, want[i].length);
    EXPECT_EQ(d.speed_kmh, want[i].speed);
    EXPECT_EQ(d.warning_m, want[i].warning);
    EXPECT_EQ(d.approach, want[i].approach);
    EXPECT_EQ(rail.slowdown(*d.record), &d);
  }
}

// An object claims the compiler's object cell, a layer or tunnel its layer
// cell: 8830 m is cell 178 for a signal and 177 for a speed limit.
TEST(record_railway, a_record_claims_the_cell_of_its_kind) {
  EXPECT_EQ(record_cell(record_kind::signal, 8830), 178);
  EXPECT_EQ(record_cell(record_kind::direction_board, 8830), 178);
  EXPECT_EQ(record_cell(record_kind::slowdown, 8830), 178);
  EXPECT_EQ(record_cell(record_kind::speed_limit, 8830), 177);
  EXPECT_EQ(record_cell(record_kind::tunnel, 8830), 177);
  EXPECT_EQ(record_cell(record_kind::speed_point, 8830), 177);
}

}  // namespace
}  // namespace scenario::railway
