// What the drawing reads out of a compiled model: layers, objects, stations,
// tunnel names, problems, and the plan reduced within its tolerance.
#include "drawing/scene.h"

#include <gtest/gtest.h>

#include <cmath>

#include "compiler/fixtures/descriptions.h"
#include "shell/run.h"
#include "testing/compiled_scenarios.h"

namespace scenario::drawing {
namespace {

using testing::line_description;
using testing::train_description;

scene every_kind_scene(scenario_model& m) {
  testing::compile_every_kind(m, "R", "T");
  return read_scene(m, translator());
}

TEST(read_scene, stations_in_entry_order_with_zones_times_and_8bit_names) {
  scenario_model m;
  const scene s = every_kind_scene(m);
  ASSERT_EQ(s.stations.size(), 3u);
  EXPECT_EQ(s.stations[0].name, "ALFA");
  EXPECT_EQ(s.stations[0].position_m, 200);
  EXPECT_EQ(s.stations[0].zone_start_m, -150);
  EXPECT_EQ(s.stations[0].zone_end_m, 600);
  EXPECT_TRUE(s.stations[0].stops);
  EXPECT_EQ(format_time_of_day(s.stations[0].time_s), "7:05");
  EXPECT_EQ(s.stations[1].name, "BETA");
  EXPECT_FALSE(s.stations[1].stops);              // no time: passed
  EXPECT_EQ(s.stations[2].name, "CITT\xC3\x80");  // Latin-1 À as UTF-8
  EXPECT_EQ(s.stations[2].entry, 3);
}

TEST(read_scene, objects_at_the_positions_of_their_records) {
  scenario_model m;
  const scene s = every_kind_scene(m);
  ASSERT_EQ(s.signals.size(), 2u);
  EXPECT_EQ(s.signals[0].position_m, 1000);
  EXPECT_EQ(s.signals[0].left_kind, 1);
  EXPECT_EQ(s.signals[1].position_m, 7000);
  EXPECT_EQ(s.signals[1].left_kind, 2);
  EXPECT_EQ(s.signals[1].aspects, "40 10 0");

  ASSERT_EQ(s.slowdowns.size(), 1u);
  EXPECT_EQ(s.slowdowns[0].warning_m, 10800);
  EXPECT_EQ(s.slowdowns[0].start_m, 12000);
  EXPECT_EQ(s.slowdowns[0].end_m, 13000);
  EXPECT_EQ(s.slowdowns[0].speed_kmh, 60);

  ASSERT_EQ(s.speed_boards.size(), 1u);
  EXPECT_EQ(s.speed_boards[0].position_m, 2050);
  EXPECT_EQ(s.speed_boards[0].speeds, "100/120/120");

  // The two points of the description, and those post-processing adds.
  ASSERT_GE(s.speed_points.size(), 2u);
  bool at_2500 = false, at_3000 = false;
  for (const speed_point& p : s.speed_points) {
    if (p.position_m == 2500) at_2500 = p.speed_kmh == 60;
    if (p.position_m == 3000) at_3000 = !p.speed_kmh.has_value();
  }
  EXPECT_TRUE(at_2500);
  EXPECT_TRUE(at_3000);

  ASSERT_EQ(s.direction_boards.size(), 1u);
  EXPECT_EQ(s.direction_boards[0].position_m, 3950);
}

TEST(read_scene, tunnels_from_the_cells_named_by_the_board_before_them) {
  scenario_model m;
  const scene s = every_kind_scene(m);
  ASSERT_EQ(s.tunnels.size(), 2u);
  EXPECT_EQ(s.tunnels[0].start_m, 4000);
  EXPECT_EQ(s.tunnels[0].end_m, 5000);
  EXPECT_EQ(s.tunnels[0].kind, 1);
  EXPECT_EQ(s.tunnels[0].name, "PROVA");
  EXPECT_EQ(s.tunnels[1].start_m, 8000);
  EXPECT_EQ(s.tunnels[1].end_m, 8500);
  EXPECT_EQ(s.tunnels[1].kind, 2);
  EXPECT_EQ(s.tunnels[1].name, "");  // no board announces it
}

TEST(read_scene, one_board_names_one_tunnel) {
  scenario_model m;
  m.percorso = "R";
  m.treno = "T";
  compile_in_memory(
      m, 0,
      {"l",
       line_description(
           20000,
           {
               "montagna,   4000,  4200,  11",
               "montagna,   4300,  4600,  11",
               "cartello_indicatore,  3950,   (GALLERIA)(UNO)(m.200)",
           }),
       ""},
      {"t", train_description({"velocita,   0,    30"}), ""});
  const scene s = read_scene(m, translator());
  ASSERT_EQ(s.tunnels.size(), 2u);
  EXPECT_EQ(s.tunnels[0].name, "UNO");
  EXPECT_EQ(s.tunnels[1].name, "");
}

TEST(read_scene, speed_limit_runs_and_elevation_integrated_per_mille) {
  scenario_model m;
  m.percorso = "R";
  m.treno = "T";
  // 10 per mille from 500 m to 1000 m, then -4 per mille.
  ASSERT_EQ(
      compile_in_memory(m, 0,
                        {"l",
                         line_description(3000, {"pendenza,   0,    0",
                                                 "pendenza,   500,    10",
                                                 "pendenza,   1000,    -4"}),
                         ""},
                        {"t",
                         train_description({"velocita,   0,    30",
                                            "velocita,   1000,    95"}),
                         ""}),
      exit_clean);
  const scene s = read_scene(m, translator());
  EXPECT_EQ(s.extent_m, (m.numero_celle - 2) * 50);
  ASSERT_EQ(s.speed_limit.size(), 2u);
  EXPECT_EQ(s.speed_limit[0].start_m, 0);
  EXPECT_EQ(s.speed_limit[0].end_m, 1000);
  EXPECT_EQ(s.speed_limit[0].value, 30);
  EXPECT_EQ(s.speed_limit[1].value, 95);
  EXPECT_EQ(s.speed_limit[1].end_m, s.extent_m);
  ASSERT_EQ(s.gradient.size(), 3u);
  EXPECT_EQ(s.gradient[1].start_m, 500);
  EXPECT_EQ(s.gradient[1].value, 10);
  EXPECT_EQ(s.gradient[2].value, -4);
  ASSERT_EQ(s.elevation_m.size(), static_cast<size_t>(s.extent_m / 50 + 1));
  EXPECT_DOUBLE_EQ(s.elevation_m[10], 0);      // 500 m
  EXPECT_DOUBLE_EQ(s.elevation_m[20], 5);      // 1000 m: 500 m at 10
  EXPECT_DOUBLE_EQ(s.elevation_m[40], 5 - 4);  // 2000 m: 1000 m at -4
}

// The layers cover exactly the cells the compiler gave layer values: all
// but the last three, and on a line of fewer than four cells (a length far
// below 0, inside the margin) cell 0 all the same, which the compiler's
// closing step always writes. A cell it wrote holds the gradient 0 as 100.
TEST(read_scene, layers_cover_the_cells_the_compiler_wrote_on_tiny_lines) {
  const struct {
    int64_t length_m;
    size_t cells;         // numero_celle + 1
    int64_t layer_cells;  // cells with layer values
  } cases[] = {
      {-6950, 2, 1}, {-6900, 3, 1},   {-6850, 4, 1},
      {-6800, 5, 2}, {-6000, 21, 18},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length_m);
    scenario_model m;
    m.percorso = "R";
    m.treno = "T";
    compile_in_memory(m, 0, {"l", line_description(c.length_m), ""},
                      {"t", train_description({"velocita,   0,    30"}), ""});
    ASSERT_EQ(m.celle.size(), c.cells);
    int64_t written = 0;
    while (written < static_cast<int64_t>(m.celle.size()) &&
           m.celle[static_cast<size_t>(written)].pendenza != 0) {
      ++written;
    }
    EXPECT_EQ(written, c.layer_cells);
    const scene s = read_scene(m, translator());
    EXPECT_EQ(s.extent_m, written * 50);
    ASSERT_EQ(s.gradient.size(), 1u);
    EXPECT_EQ(s.gradient[0].start_m, 0);
    EXPECT_EQ(s.gradient[0].end_m, written * 50);
    EXPECT_EQ(s.gradient[0].value, 0);
    ASSERT_FALSE(s.speed_limit.empty());
    EXPECT_EQ(s.speed_limit.back().end_m, written * 50);
    EXPECT_EQ(s.elevation_m.size(), static_cast<size_t>(written + 1));
  }
}

TEST(read_scene, every_recorded_code_with_its_file_line_and_meaning) {
  scenario_model m;
  m.percorso = "R";
  m.treno = "T";
  compile_in_memory(
      m, 0,
      {"line.txt", line_description(3000, {"pendenza,   90000,    1"}), ""},
      {"train.txt", train_description({"velocita,   0,    30"}), ""});
  const scene s = read_scene(m, translator());
  ASSERT_EQ(s.problems.size(), m.diagnostics.size());
  ASSERT_FALSE(s.problems.empty());
  EXPECT_EQ(s.problems[0].code, 15);
  EXPECT_EQ(s.problems[0].position_m, 90000);
  EXPECT_EQ(s.problems[0].file, "line.txt");
  EXPECT_EQ(s.problems[0].line, testing::first_body_line);
  EXPECT_FALSE(s.problems[0].meaning.empty());
}

// The largest distance from any computed metre to the drawn polyline.
double worst_distance(const tracciato_t& plan,
                      const std::vector<plan_point>& drawn) {
  double worst = 0;
  for (int64_t i = 0; i < plan.size(); ++i) {
    const auto p = plan_point_at(plan, i);
    if (!p) break;
    double best = INFINITY;
    for (size_t k = 0; k + 1 < drawn.size(); ++k) {
      const plan_point a = drawn[k], b = drawn[k + 1];
      const double dx = b.x - a.x, dy = b.y - a.y;
      const double len2 = dx * dx + dy * dy;
      double t = len2 ? ((p->x - a.x) * dx + (p->y - a.y) * dy) / len2 : 0;
      t = std::clamp(t, 0.0, 1.0);
      best =
          std::min(best, std::hypot(p->x - a.x - t * dx, p->y - a.y - t * dy));
    }
    worst = std::max(worst, best);
  }
  return worst;
}

TEST(simplified_plan, stays_within_its_tolerance_with_few_points) {
  scenario_model m;
  m.percorso = "R";
  m.treno = "T";
  compile_in_memory(
      m, 1,
      {"l",
       line_description(6000, {"curvad4,  500,  1500", "curvas6,  3000,  800"}),
       ""},
      {"t", train_description({"velocita,   0,    30"}), ""});
  ASSERT_TRUE(m.tracciato.exists());
  for (double tolerance : {0.5, 5.0, 40.0}) {
    const auto drawn = simplified_plan(m.tracciato, tolerance);
    ASSERT_GE(drawn.size(), 2u);
    EXPECT_LT(drawn.size(), 400u) << tolerance;
    EXPECT_LE(worst_distance(m.tracciato, drawn), tolerance + 1e-9)
        << tolerance;
    // The ends are kept exactly.
    EXPECT_EQ(drawn.front().x, 0);
    EXPECT_EQ(drawn.front().y, 0);
  }
}

TEST(simplified_plan, a_straight_line_is_two_points_and_no_plan_is_none) {
  scenario_model m;
  m.percorso = "R";
  m.treno = "T";
  compile_in_memory(m, 1, {"l", line_description(5000), ""},
                    {"t", train_description({"velocita,   0,    30"}), ""});
  EXPECT_EQ(simplified_plan(m.tracciato, 0.1).size(), 2u);
  EXPECT_TRUE(simplified_plan(tracciato_t{}, 1).empty());
}

}  // namespace
}  // namespace scenario::drawing
