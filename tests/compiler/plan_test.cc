#include "compiler/plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "compiler/fixtures/descriptions.h"
#include "compiler/line_compiler.h"
#include "compiler/run_time_failure.h"
#include "model/model.h"

namespace scenario {
namespace {

using testing::first_body_line;
using testing::line_description;
using genere = tracciato_t::genere;

struct point {
  double x;
  double y;
};

struct line_run {
  scenario_model m;
  bool go_on = false;
};

line_run compile_line(const std::string& text, int32_t j = 1) {
  line_run r;
  reset(r.m, j);
  line_compiler c(r.m, "linea.txt", text);
  r.go_on = c.compile();
  return r;
}

point at(const scenario_model& m, int64_t metre) {
  return {m.tracciato.value(metre, 0), m.tracciato.value(metre, 1)};
}

// The polyline worked out metre by metre from (0, 0) and (0, 1), with the
// curvature `k_at` of each metre: every metre repeats the previous step and,
// on a curve, turns it by dy * k and -dx * k.
std::vector<point> draw_by_hand(int64_t last,
                                const std::function<double(int64_t)>& k_at) {
  std::vector<point> p(static_cast<size_t>(last) + 1);
  p[0] = {0.0, 0.0};
  p[1] = {0.0, 1.0};
  for (int64_t c = 2; c <= last; ++c) {
    const double dx = p[c - 1].x - p[c - 2].x;
    const double dy = p[c - 1].y - p[c - 2].y;
    const double k = k_at(c);
    if (k == 0.0) {
      p[c].x = p[c - 1].x + dx;
      p[c].y = p[c - 1].y + dy;
    } else {
      p[c].x = p[c - 1].x + dx + dy * k;
      p[c].y = p[c - 1].y + dy - dx * k;
    }
  }
  return p;
}

void expect_same_point(const scenario_model& m, const std::vector<point>& hand,
                       int64_t metre) {
  EXPECT_EQ(m.tracciato.kind(metre, 0), genere::doppio) << metre;
  EXPECT_EQ(m.tracciato.kind(metre, 1), genere::doppio) << metre;
  EXPECT_EQ(at(m, metre).x, hand[metre].x) << "x of metre " << metre;
  EXPECT_EQ(at(m, metre).y, hand[metre].y) << "y of metre " << metre;
}

TEST(plan, curvature_comes_from_the_first_class_digit_and_the_side) {
  struct key_case {
    const char* key;
    std::optional<double> k;
  };
  const key_case cases[] = {
      {"curvad1", 0.0001},       {"curvas1", -0.0001},
      {"curvad2", 0.0002},       {"curvas3", -0.0004},
      {"curvad4", 0.001},        {"curvad5", 0.002},
      {"CURVAS6", -0.003},       {"curvaD6", 0.003},
      {"curvad61", 0.0001},  // "1" is tested before "6"
      {"curvad7", std::nullopt}, {"curva", std::nullopt},
  };
  for (const key_case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(curvature_of(c.key), c.k);
  }
}

TEST(plan, starts_with_two_integer_metres_along_the_y_axis) {
  tracciato_t plan;
  plan.create(10);
  plan_drawer d(plan);
  d.start();
  EXPECT_EQ(d.counter(), 2);
  for (int coord = 0; coord < 2; ++coord) {
    EXPECT_EQ(plan.kind(0, coord), genere::intero16);
    EXPECT_EQ(plan.kind(1, coord), genere::intero16);
    EXPECT_EQ(plan.kind(2, coord), genere::vuoto);
  }
  EXPECT_EQ(plan.value(1, 1), 1.0);
  d.finish(8);
  EXPECT_EQ(plan.value(8, 0), 0.0);
  EXPECT_EQ(plan.value(8, 1), 8.0);
  EXPECT_EQ(plan.kind(9, 0), genere::vuoto);
  EXPECT_EQ(d.counter(), 9);
}

TEST(plan, whole_line_is_drawn_up_to_two_metres_before_its_end) {
  const line_run r = compile_line(line_description(99500));
  ASSERT_TRUE(r.go_on);
  ASSERT_EQ(r.m.tracciato.size(), 106501);
  EXPECT_EQ(at(r.m, 106498).x, 0.0);
  EXPECT_EQ(at(r.m, 106498).y, 106498.0);
  EXPECT_EQ(r.m.tracciato.kind(106498, 1), genere::doppio);
  for (int64_t metre : {106499, 106500}) {
    for (int coord = 0; coord < 2; ++coord) {
      EXPECT_EQ(r.m.tracciato.kind(metre, coord), genere::vuoto) << metre;
    }
  }
}

TEST(plan, curve_after_a_straight_joint_matches_the_metre_by_metre_drawing) {
  const line_run r = compile_line(line_description(
      10000, {"curvas2,  7000,  800", "curvad1,  7850,  100"}));
  ASSERT_TRUE(r.go_on);
  const std::vector<point> hand = draw_by_hand(16998, [](int64_t c) {
    if (c >= 7001 && c <= 7800) return -0.0002;
    if (c >= 7851 && c <= 7950) return 0.0001;
    return 0.0;
  });
  expect_same_point(r.m, hand, 7851);
  expect_same_point(r.m, hand, 7950);
  for (int64_t c = 2; c <= 16998; ++c) {
    if (at(r.m, c).x != hand[c].x || at(r.m, c).y != hand[c].y) {
      ADD_FAILURE() << "metre " << c << " differs from the hand drawing";
      break;
    }
  }
  // 7801 to 7850 continue the direction the first curve ended with.
  const point end = at(r.m, 7800);
  const double dx = end.x - at(r.m, 7799).x;
  const double dy = end.y - at(r.m, 7799).y;
  for (int64_t c = 7801; c <= 7850; ++c) {
    const double across =
        (at(r.m, c).x - end.x) * dy - (at(r.m, c).y - end.y) * dx;
    EXPECT_NEAR(across, 0.0, 1e-9) << "metre " << c;
  }
  const double after_x = at(r.m, 7952).x - at(r.m, 7951).x;
  const double before_x = at(r.m, 7851).x - at(r.m, 7850).x;
  EXPECT_GT(after_x, before_x);  // the right curve turned towards +x
}

TEST(plan,
     left_curves_turn_towards_negative_x_and_right_ones_towards_positive) {
  const line_run left =
      compile_line(line_description(1000, {"curvas3, 0, 500"}));
  const line_run right =
      compile_line(line_description(1000, {"curvad3, 0, 500"}));
  ASSERT_TRUE(left.go_on);
  ASSERT_TRUE(right.go_on);
  EXPECT_LT(at(left.m, 500).x, -1.0);
  EXPECT_GT(at(right.m, 500).x, 1.0);
  EXPECT_EQ(at(left.m, 500).x, -at(right.m, 500).x);
  EXPECT_GT(at(left.m, 500).y, 400.0);
}

TEST(plan, curve_starting_before_the_counter_continues_from_it) {
  const line_run r = compile_line(
      line_description(1000, {"curvad2, 0, 500", "curvas2, 300, 300"}));
  ASSERT_TRUE(r.go_on);
  const std::vector<point> hand = draw_by_hand(7998, [](int64_t c) {
    if (c <= 500) return 0.0002;
    if (c <= 600) return -0.0002;
    return 0.0;
  });
  for (int64_t c : {500, 501, 600, 601, 7998}) expect_same_point(r.m, hand, c);
}

TEST(plan, curve_key_without_a_class_is_code_103) {
  const line_run r = compile_line(
      line_description(10000, {"curvad7,  1000,  100", "pendenza, 0, 5"}));
  EXPECT_FALSE(r.go_on);
  EXPECT_EQ(r.m.codice_errore, 103);
  ASSERT_EQ(r.m.diagnostics.size(), 1u);
  EXPECT_EQ(r.m.diagnostics[0].posizione, std::nullopt);
  EXPECT_EQ(r.m.diagnostics[0].line, first_body_line);
  // Nothing drawn, no closing steps.
  EXPECT_EQ(r.m.tracciato.kind(2, 0), genere::vuoto);
  EXPECT_EQ(r.m.celle[0].pendenza, 0);
}

TEST(plan, curves_are_not_records_without_the_plan) {
  // The key matches nothing and its fields are read as keys.
  const line_run r = compile_line(
      line_description(10000, {"curvad7,  1000,  100", "curvad1, 0, 100"}), 0);
  EXPECT_TRUE(r.go_on);
  EXPECT_EQ(r.m.codice_errore, 0);
  EXPECT_FALSE(r.m.tracciato.exists());
}

TEST(plan, drawing_past_metre_1000000_is_code_103) {
  const char* const records[] = {
      "curvad1, 999000, 2000",  // passes it on the curve
      "curvad1, 1000001, 10",   // passes it on the straight run
  };
  for (const char* record : records) {
    SCOPED_TRACE(record);
    const line_run r = compile_line(line_description(1000000, {record}));
    EXPECT_FALSE(r.go_on);
    EXPECT_EQ(r.m.codice_errore, 103);
    EXPECT_EQ(r.m.tracciato.kind(1000000, 0), genere::doppio);
    EXPECT_EQ(r.m.tracciato.kind(1000001, 0), genere::vuoto);
  }
}

TEST(plan, curve_past_the_last_metre_of_the_plan_is_a_run_time_failure) {
  // L = 1000: metres 0 to 8000. A curve may reach metre 8000 itself.
  const line_run r =
      compile_line(line_description(1000, {"curvad1, 7000, 1000"}));
  EXPECT_TRUE(r.go_on);
  EXPECT_EQ(r.m.tracciato.kind(8000, 0), genere::doppio);
  EXPECT_THROW(compile_line(line_description(1000, {"curvad1, 7000, 1001"})),
               run_time_failure);
}

}  // namespace
}  // namespace scenario
