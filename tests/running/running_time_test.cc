// The running-time calculation against closed-form answers (an ideal train:
// constant acceleration and braking, no resistance; the adhesion and power
// limits; a train too heavy for a climb; braking on a gradient; a canted
// curve; the top speed), the whole-train rule, a climb that settles where
// power meets gravity, stops with their dwell, the verdicts, the
// convergence of the integration as the step halves, and an independent
// time-step integration of one leg.
#include "running/running_time.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "running/train.h"

namespace scenario {
namespace {

// Past the last metre: a profile clips a stretch to its length.
constexpr int64_t to_the_end = std::numeric_limits<int64_t>::max();

// A straight, flat line of `metres` at `limit_kmh` with timed points.
running_line flat_line(size_t metres, float limit_kmh,
                       std::vector<timed_point> points) {
  running_line l;
  const auto n = static_cast<int64_t>(metres);
  l.line_limit_kmh = step_profile(n, limit_kmh);
  l.slowdown_kmh = step_profile(n, 0);
  l.gradient_permille = step_profile(n, 0);
  l.curve_radius_m = step_profile(n, 0);
  l.points = std::move(points);
  return l;
}

timed_point stop_at(int64_t at, int32_t time_s, int32_t dwell_s = 0) {
  return {0, "S" + std::to_string(at), at, time_s, dwell_s, true};
}

// A train that accelerates at `a` and brakes at `b` whatever its speed: no
// resistance, no rotating mass, power and adhesion beyond need (its
// maximum tractive effort gives `a` to its 100 t), no top speed to speak
// of, no length unless given.
running_parameters ideal(double a, double b, double length_m = 0) {
  running_parameters p;
  train_parameters& t = p.train;
  t.loco_mass_t = 100;
  t.cars = 0;
  t.loco_length_m = length_m;
  t.power_kw = 1e9;
  t.adhesion = 1e6;
  t.max_tractive_effort_kn = 100 * a;
  t.max_speed_kmh = 1e4;
  t.davis_a_n_per_t = t.davis_b_n_per_t_per_ms = 0;
  t.air_front_n_per_ms2 = t.air_per_car_n_per_ms2 = 0;
  t.loco_inertia_factor = t.car_inertia_factor = 1;
  t.braked_mass_percent = 100;
  t.deceleration_at_100_ms2 = b;
  p.margin.bands = {{1e9, 0}};
  p.margin.minutes_per_100km = 0;
  return p;
}

size_t node_at(const running_result& r, double x) {
  return static_cast<size_t>(std::llround((x - r.start_m) / r.step_m));
}

TEST(running_time, ideal_runs_take_their_closed_form_times) {
  const struct {
    const char* what;
    size_t length_m;
    double v_ms, a, b;
    double want_s;
  } cases[] = {
      // T = L/v + (v/2)(1/a + 1/b)
      {"flat run reaching its top speed", 2000, 20, 0.5, 0.5, 140},
      {"flat run, braking harder than it accelerates", 2000, 20, 0.5, 1.0, 130},
      // Too short for 20 m/s: up to the middle and down, 2 sqrt(L/a).
      {"triangular run", 400, 20, 0.5, 0.5, 2 * std::sqrt(400 / 0.5)},
  };
  for (const auto& c : cases) {
    const running_line line = flat_line(
        c.length_m + 1, static_cast<float>(c.v_ms * 3.6),
        {stop_at(0, 0), stop_at(static_cast<int64_t>(c.length_m), 600)});
    const running_result r = run_fastest(line, ideal(c.a, c.b));
    ASSERT_EQ(r.legs.size(), 1u) << c.what;
    EXPECT_NEAR(r.legs[0].fastest_s, c.want_s, 1e-6) << c.what;
    EXPECT_FALSE(r.stand_m) << c.what;
  }
}

TEST(running_time, starting_and_braking_follow_constant_rates) {
  const running_line line =
      flat_line(2001, 72, {stop_at(0, 0), stop_at(2000, 600)});
  const running_result r = run_fastest(line, ideal(0.5, 1.0));
  // From rest to v at a: s = v^2 / 2a = 400 m, t = v / a = 40 s.
  EXPECT_DOUBLE_EQ(r.speed_ms[node_at(r, 400)], 20);
  EXPECT_LT(r.speed_ms[node_at(r, 399)], 20);
  EXPECT_NEAR(r.time_s[node_at(r, 400)], 40, 1e-9);
  // Braking from v at b: s = v^2 / 2b = 200 m before the stop.
  EXPECT_DOUBLE_EQ(r.speed_ms[node_at(r, 1800)], 20);
  EXPECT_LT(r.speed_ms[node_at(r, 1801)], 20);
  EXPECT_NEAR(r.speed_ms[node_at(r, 1900)], std::sqrt(2 * 1.0 * 100), 1e-9);
  EXPECT_EQ(r.speed_ms.back(), 0);
}

TEST(running_time, braking_for_a_lower_limit_starts_where_it_must) {
  // 72 km/h, then 36 km/h from 3000 m: braking from 20 to 10 m/s at
  // 0.5 m/s^2 takes (20^2 - 10^2) / (2 * 0.5) = 300 m.
  running_line line = flat_line(5001, 72, {stop_at(0, 0), stop_at(5000, 900)});
  line.line_limit_kmh.set(3000, to_the_end, 36);
  const running_result r = run_fastest(line, ideal(0.5, 0.5));
  EXPECT_DOUBLE_EQ(r.speed_ms[node_at(r, 2700)], 20);
  EXPECT_LT(r.speed_ms[node_at(r, 2701)], 20);
  EXPECT_NEAR(r.speed_ms[node_at(r, 3000)], 10, 1e-9);
  EXPECT_NEAR(r.speed_ms[node_at(r, 4000)], 10, 1e-9);
}

TEST(running_time, a_train_longer_than_a_slow_zone_waits_for_its_tail) {
  // A 100 m slowdown at 36 km/h from 1000 m; the train is 300 m long, so it
  // holds 10 m/s until its head is at 1400 m.
  running_line line = flat_line(3001, 72, {stop_at(0, 0), stop_at(3000, 900)});
  line.slowdown_kmh.set(1000, 1100, 36);
  const running_result r = run_fastest(line, ideal(0.5, 0.5, 300));
  EXPECT_NEAR(r.speed_ms[node_at(r, 1000)], 10, 1e-9);
  EXPECT_NEAR(r.speed_ms[node_at(r, 1400)], 10, 1e-9);
  EXPECT_GT(r.speed_ms[node_at(r, 1401)], 10);
  // The limit at the head is the line's again from 1100 m.
  EXPECT_EQ(r.permitted_kmh[node_at(r, 1100)], 72);
  // A train without length speeds up as soon as the zone ends.
  const running_result short_train = run_fastest(line, ideal(0.5, 0.5, 0));
  EXPECT_NEAR(short_train.speed_ms[node_at(short_train, 1100)], 10, 1e-9);
  EXPECT_GT(short_train.speed_ms[node_at(short_train, 1101)], 10);
}

TEST(running_time, on_a_long_climb_speed_settles_where_power_meets_gravity) {
  // 100 t on 10 per mille: 9810 N; 196.2 kW holds that at 20 m/s.
  running_line line =
      flat_line(60001, 200, {stop_at(0, 0), stop_at(60000, 7200)});
  line.gradient_permille.set(0, to_the_end, 10);
  running_parameters p = ideal(0.5, 0.5);
  p.train.power_kw = 196.2;
  const running_result r = run_fastest(line, p);
  EXPECT_NEAR(r.speed_ms[node_at(r, 50000)], 20, 1e-3);
  EXPECT_LT(r.speed_ms[node_at(r, 50000)], 20);
}

TEST(running_time, a_climb_beyond_the_train_brings_it_to_a_stand) {
  running_line line = flat_line(5001, 100, {stop_at(0, 0), stop_at(5000, 900)});
  line.gradient_permille.set(1000, 3000, 80);
  running_parameters p = ideal(0.5, 0.5);
  p.train.max_tractive_effort_kn = 30;  // 0.3 m/s^2 against 0.78 of gravity
  const running_result r = run_fastest(line, p);
  // At 1000 m it runs at sqrt(2 * 0.3 * 1000) m/s and loses 0.7848 - 0.3
  // m/s^2 from there: it stands 600 / (2 * 0.4848) = 618.8 m further.
  ASSERT_TRUE(r.stand_m);
  EXPECT_NEAR(*r.stand_m, 1618.8, 1.0);
  ASSERT_EQ(r.legs.size(), 1u);
  EXPECT_EQ(r.legs[0].judged, verdict::impossible);
  EXPECT_TRUE(std::isinf(r.legs[0].fastest_s));
}

TEST(running_time, stops_hold_the_train_for_their_dwell) {
  // Two 2000 m legs of 140 s each, a dwell of 60 s between them.
  const running_line line =
      flat_line(4001, 72,
                {stop_at(0, 1000), stop_at(2000, 1000 + 150 + 60, 60),
                 stop_at(4000, 1000 + 150 + 60 + 150)});
  const running_result r = run_fastest(line, ideal(0.5, 0.5));
  ASSERT_EQ(r.legs.size(), 2u);
  EXPECT_NEAR(r.legs[0].fastest_s, 140, 1e-6);
  EXPECT_NEAR(r.legs[1].fastest_s, 140, 1e-6);
  EXPECT_EQ(r.legs[0].scheduled_s, 150);  // arrival is 60 s before leaving
  EXPECT_EQ(r.legs[1].scheduled_s, 150);
  EXPECT_EQ(r.speed_ms[node_at(r, 2000)], 0);
  EXPECT_NEAR(r.time_s.back(), 140 + 60 + 140, 1e-6);
  // Passed without a dwell, the middle point does not stop the train.
  running_line passing = line;
  passing.points[1].stop = false;
  passing.points[1].dwell_s = 0;
  const running_result p = run_fastest(passing, ideal(0.5, 0.5));
  EXPECT_DOUBLE_EQ(p.speed_ms[node_at(p, 2000)], 20);
  EXPECT_NEAR(p.time_s.back(), 4000 / 20.0 + 40, 1e-6);
}

TEST(running_time, each_leg_gets_its_verdict) {
  // Fastest 140 s; a 10 % margin makes 154 s; slack beyond 2 x 154 s.
  const struct {
    int scheduled_s;
    verdict want;
  } cases[] = {
      {139, verdict::impossible}, {141, verdict::tight}, {153, verdict::tight},
      {155, verdict::ok},         {307, verdict::ok},    {309, verdict::slack},
  };
  for (const auto& c : cases) {
    const running_line line = flat_line(
        2001, 72, {stop_at(0, 100), stop_at(2000, 100 + c.scheduled_s)});
    running_parameters p = ideal(0.5, 0.5);
    p.margin.bands = {{1e9, 10}};
    const running_result r = run_fastest(line, p);
    ASSERT_EQ(r.legs.size(), 1u);
    EXPECT_NEAR(r.legs[0].with_margin_s, 154, 1e-6);
    EXPECT_EQ(r.legs[0].judged, c.want) << c.scheduled_s << " s";
  }
}

TEST(running_time, times_at_the_ends_of_32_bits_give_exact_schedules) {
  // Times come from the entry table as they are: a damaged or hand-made
  // file may hold any 32-bit values, and a leg's schedule must not wrap.
  const struct {
    int32_t from_s, to_s, dwell_s;
    double scheduled_s;
  } cases[] = {
      {-2147483647 - 1, 2147483647, 0, 4294967295.0},
      {2147483647, -2147483647 - 1, 0, -4294967295.0},
      {100, -2147483647 - 1, 2147483647, -4294967395.0},
  };
  for (const auto& c : cases) {
    timed_point to = stop_at(2000, c.to_s, c.dwell_s);
    to.stop = c.dwell_s != 0;
    const running_line line =
        flat_line(4001, 72, {stop_at(0, c.from_s), to, stop_at(4000, 0)});
    const running_result r = run_fastest(line, ideal(0.5, 0.5));
    ASSERT_EQ(r.legs.size(), 2u);
    EXPECT_EQ(r.legs[0].scheduled_s, c.scheduled_s)
        << c.from_s << " " << c.to_s;
  }
}

TEST(running_time, margin_takes_its_band_and_its_minutes_per_distance) {
  // 100 km/h up to 2000 m, then 150 km/h: 4 % and 5 % of each stretch's
  // time, plus 1.5 min per 100 km (0.9 s per km).
  running_line line =
      flat_line(10001, 100, {stop_at(0, 0), stop_at(10000, 3600)});
  line.line_limit_kmh.set(2000, to_the_end, 150);
  running_parameters p = ideal(0.5, 0.5);
  p.margin = margin_parameters{};
  const running_result r = run_fastest(line, p);
  const size_t k = node_at(r, 2000);
  const double want =
      r.time_s[k] * 1.04 + (r.time_s.back() - r.time_s[k]) * 1.05 + 10 * 0.9;
  EXPECT_NEAR(r.margin_time_s.back(), want, 1e-6);
}

TEST(running_time, halving_the_step_changes_no_time_by_a_thousandth) {
  // A varied line with the default train: limits, climbs and falls, curves,
  // a stop and a passed point.
  running_line line = flat_line(30001, 100,
                                {stop_at(0, 0),
                                 stop_at(9000, 600, 30),
                                 {0, "P", 17000, 1200, 0, false},
                                 stop_at(30000, 2400)});
  line.line_limit_kmh.set(4000, 7000, 60);
  line.line_limit_kmh.set(12000, 22000, 140);
  line.gradient_permille.set(3000, 8000, 12);
  line.gradient_permille.set(14000, 20000, -8);
  line.curve_radius_m.set(23000, 25000, 500);
  line.slowdown_kmh.set(26000, 26300, 30);
  running_parameters p;
  const running_result whole = run_fastest(line, p, 1);
  const running_result half = run_fastest(line, p, 0.5);
  ASSERT_EQ(whole.legs.size(), 3u);
  ASSERT_EQ(half.legs.size(), 3u);
  for (size_t i = 0; i < whole.legs.size(); ++i) {
    const double a = whole.legs[i].fastest_s, b = half.legs[i].fastest_s;
    EXPECT_LT(std::fabs(a - b) / b, 0.001)
        << "leg " << i << ": " << a << " s against " << b << " s";
  }
  EXPECT_LT(
      std::fabs(whole.time_s.back() - half.time_s.back()) / half.time_s.back(),
      0.001);
}

TEST(running_time, fewer_than_two_timed_points_give_nothing_to_time) {
  const running_result r =
      run_fastest(flat_line(1001, 72, {stop_at(0, 0)}), ideal(0.5, 0.5));
  EXPECT_EQ(r.nodes(), 0u);
  EXPECT_TRUE(r.legs.empty());
}

// The Curtius-Kniffler curve scaled to `at_rest`, written out here apart
// from the train's own law.
double adhesion_law(double at_rest, double v_ms) {
  const double kmh = v_ms * 3.6;
  return at_rest * (7.5 / (kmh + 44) + 0.161) / (7.5 / 44 + 0.161);
}

// A locomotive of 80 t and 5 cars of 40 t, no resistance and no rotating
// masses: only adhesion and power shape its start.
running_parameters adhesion_then_power() {
  running_parameters p = ideal(0.5, 0.5);
  train_parameters& t = p.train;
  t.loco_mass_t = 80;
  t.cars = 5;
  t.car_mass_t = 40;
  t.car_length_m = 0;
  t.adhesion = 0.33;
  t.max_tractive_effort_kn = 2000;
  t.power_kw = 3000;
  return p;
}

TEST(running_time, a_start_takes_the_adhesion_limit_then_the_power_limit) {
  const running_parameters p = adhesion_then_power();
  const double mass_kg = 280e3, weight_on_wheels_n = 80e3 * 9.81;
  const double power_w = 3e6;
  // Where adhesion and power give the same force.
  double lo = 0.1, hi = 100;
  for (int i = 0; i < 100; ++i) {
    const double v = (lo + hi) / 2;
    (adhesion_law(0.33, v) * weight_on_wheels_n < power_w / v ? lo : hi) = v;
  }
  const double switch_ms = lo;  // about 16.4 m/s
  EXPECT_GT(switch_ms, 15);
  EXPECT_LT(switch_ms, 18);
  const running_line line =
      flat_line(20001, 300, {stop_at(0, 0), stop_at(20000, 3600)});
  const running_result r = run_fastest(line, p, 0.25);
  int adhesion_steps = 0, power_steps = 0;
  for (size_t k = 0; k + 1 < r.nodes() && r.speed_ms[k] < 40; ++k) {
    const double v = r.speed_ms[k];
    const double a = (r.speed_ms[k + 1] * r.speed_ms[k + 1] - v * v) / 0.5;
    const double want =
        v < switch_ms ? adhesion_law(0.33, v) * weight_on_wheels_n / mass_kg
                      : power_w / v / mass_kg;
    ASSERT_NEAR(a, want, 1e-9 * want) << "at " << v << " m/s";
    ++(v < switch_ms ? adhesion_steps : power_steps);
  }
  EXPECT_GT(adhesion_steps, 10);
  EXPECT_GT(power_steps, 10);
  // Under power alone the work done is the kinetic energy gained:
  // P t = M (v2^2 - v1^2) / 2 between 20 and 40 m/s.
  size_t at20 = 0, at40 = 0;
  while (r.speed_ms[at20] < 20) ++at20;
  while (r.speed_ms[at40] < 40) ++at40;
  const double v20 = r.speed_ms[at20], v40 = r.speed_ms[at40];
  EXPECT_NEAR(r.time_s[at40] - r.time_s[at20],
              mass_kg * (v40 * v40 - v20 * v20) / 2 / power_w, 0.02);
}

TEST(running_time, a_train_too_heavy_for_a_climb_stalls_and_a_light_one_not) {
  // 20 per mille from the first stop. Starting force 250 kN (the maximum
  // tractive effort; adhesion 0.6 leaves it the limit), against 8.8 N/t of
  // rolling resistance and 196.2 N/t of gradient: 1219.5 t at most.
  const double most_t = 250000 / (8.8 + 9.81 * 20);
  const struct {
    const char* what;
    int cars;
    double car_mass_t, adhesion;
    bool stalls;
  } cases[] = {
      {"a hundred cars of 80 t", 100, 80, 0.33, true},
      {"seven cars of 40 t", 7, 40, 0.33, false},
      {"2 % above the most it can start", 7, (most_t * 1.02 - 80) / 7, 0.6,
       true},
      {"2 % below the most it can start", 7, (most_t * 0.98 - 80) / 7, 0.6,
       false},
  };
  running_line line = flat_line(5001, 100, {stop_at(0, 0), stop_at(5000, 900)});
  line.gradient_permille.set(0, to_the_end, 20);
  for (const auto& c : cases) {
    running_parameters p;
    p.train.cars = c.cars;
    p.train.car_mass_t = c.car_mass_t;
    p.train.adhesion = c.adhesion;
    const running_result r = run_fastest(line, p);
    EXPECT_EQ(r.stand_m.has_value(), c.stalls) << c.what;
    if (c.stalls && r.stand_m) {
      EXPECT_EQ(*r.stand_m, 0) << c.what;
      EXPECT_EQ(r.legs[0].judged, verdict::impossible) << c.what;
    }
  }
}

TEST(running_time, braking_on_a_gradient_takes_g_i_from_the_rate) {
  // From 20 m/s into a stop at 3000 m: v^2 / 2(b + g i).
  for (const float permille : {0.0f, -25.0f, 25.0f}) {
    running_line line =
        flat_line(3001, 72, {stop_at(0, 0), stop_at(3000, 900)});
    line.gradient_permille.set(0, to_the_end, permille);
    const running_result r = run_fastest(line, ideal(0.5, 0.5));
    const double rate = 0.5 + 9.81 * permille / 1000;
    const double distance = 20.0 * 20.0 / (2 * rate);
    const double from = 3000 - distance, node = std::floor(from);
    EXPECT_DOUBLE_EQ(r.speed_ms[node_at(r, node)], 20) << permille;
    EXPECT_LT(r.speed_ms[node_at(r, node + 1)], 20) << permille;
    EXPECT_NEAR(r.speed_ms[node_at(r, 2900)], std::sqrt(2 * rate * 100), 1e-9)
        << permille;
    // The time of braking is v / (b + g i), longer downhill.
    EXPECT_NEAR(r.time_s.back() - r.time_s[node_at(r, node)],
                (from - node) / 20 + 20 / rate, 0.01)
        << permille;
  }
}

TEST(running_time, a_canted_curve_allows_its_cant_and_deficiency) {
  // v = sqrt(R (cant + deficiency) g / 1500 mm) through 1000 m of radius.
  const struct {
    double cant_mm, deficiency_mm;
  } cases[] = {{100, 130}, {150, 130}, {0, 153}, {160, 100}};
  running_line line = flat_line(9001, 250, {stop_at(0, 0), stop_at(9000, 900)});
  line.curve_radius_m.set(3000, 7000, 1000);
  for (const auto& c : cases) {
    running_parameters p = ideal(0.5, 0.5);
    p.train.cant_mm = c.cant_mm;
    p.train.cant_deficiency_mm = c.deficiency_mm;
    const running_result r = run_fastest(line, p);
    const double want =
        std::sqrt(1000 * (c.cant_mm + c.deficiency_mm) * 9.81 / 1500);
    EXPECT_NEAR(r.speed_ms[node_at(r, 5000)], want, 1e-5)
        << c.cant_mm << " + " << c.deficiency_mm << " mm";
    EXPECT_NEAR(r.permitted_kmh[node_at(r, 5000)], want * 3.6, 1e-4);
  }
}

TEST(running_time, the_top_speed_of_the_train_caps_the_run) {
  const running_line line =
      flat_line(20001, 250, {stop_at(0, 0), stop_at(20000, 900)});
  running_parameters p = ideal(0.5, 0.5);
  p.train.max_speed_kmh = 160;
  const running_result r = run_fastest(line, p);
  const double top = *std::max_element(r.speed_ms.begin(), r.speed_ms.end());
  EXPECT_DOUBLE_EQ(top, 160 / 3.6);
  EXPECT_DOUBLE_EQ(r.speed_ms[node_at(r, 10000)], 160 / 3.6);
  // The closed form of the flat run at 160 km/h.
  const double v = 160 / 3.6;
  EXPECT_NEAR(r.legs[0].fastest_s, 20000 / v + v / 2 * (1 / 0.5 + 1 / 0.5),
              1e-3);
}

TEST(running_time, a_train_speeds_up_only_once_its_tail_has_left_the_limit) {
  // 200.8 m long, out of a 36 km/h zone ending at 1100 m: the tail leaves
  // it when the head is at 1300.8 m; no node before may be faster.
  running_line line = flat_line(3001, 72, {stop_at(0, 0), stop_at(3000, 900)});
  line.slowdown_kmh.set(1000, 1100, 36);
  for (const double step : {1.0, 0.25}) {
    const running_result r = run_fastest(line, ideal(0.5, 0.5, 200.8), step);
    for (size_t k = node_at(r, 1000); r.position(k) <= 1300.8; ++k) {
      ASSERT_NEAR(r.speed_ms[k], 10, 1e-9) << "at " << r.position(k) << " m";
    }
    EXPECT_GT(r.speed_ms[node_at(r, 1300.8 + 2 * step)], 10) << step;
  }
}

// A digest of every node's limit, speed and times, to the bit.
uint64_t digest(const running_result& r) {
  uint64_t h = 0xcbf29ce484222325u;  // FNV-1a over the bytes of each value
  auto mix = [&h](uint64_t v) {
    for (int i = 0; i < 8; ++i) {
      h ^= (v >> (8 * i)) & 0xff;
      h *= 0x100000001b3u;
    }
  };
  mix(r.permitted_kmh.size());
  for (float v : r.permitted_kmh) mix(std::bit_cast<uint32_t>(v));
  for (const std::vector<double>* values :
       {&r.speed_ms, &r.time_s, &r.margin_time_s}) {
    mix(values->size());
    for (double v : *values) mix(std::bit_cast<uint64_t>(v));
  }
  return h;
}

// 8 km with limits, climbs and falls (one of 3.5 per mille), curves that
// overlap, two slowdowns one inside the other, a stop with a dwell and a
// passed point.
running_line varied_line() {
  running_line line = flat_line(8001, 100,
                                {stop_at(0, 3600),
                                 stop_at(3000, 3900, 45),
                                 {0, "P", 5200, 4020, 0, false},
                                 stop_at(8000, 4200)});
  line.line_limit_kmh.set(1500, 2600, 60);
  line.line_limit_kmh.set(4000, 6500, 140);
  line.gradient_permille.set(500, 3000, 12);
  line.gradient_permille.set(3000, 3050, 3.5f);
  line.gradient_permille.set(4200, 5800, -9);
  line.curve_radius_m.lower(2000, 2800, 1000);
  line.curve_radius_m.lower(2400, 2500, 333);
  line.curve_radius_m.lower(5000, 5600, 500);
  line.slowdown_kmh.lower(6100, 6350, 30);
  line.slowdown_kmh.lower(6200, 6300, 20);
  line.curves_known = true;
  return line;
}

TEST(running_time, the_line_held_by_stretches_runs_as_it_did_per_metre) {
  // Every figure here was taken from the calculation while it still held
  // the line as one value per metre: holding it as the metres where it
  // changes must leave every node's value the same, to the bit.
  const running_line line = varied_line();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* what;
    int cars;  // -1: the default train
    double car_mass_t, step_m;
    size_t nodes;
    uint64_t digest;
    std::optional<double> stand_m;
    double fastest_s[3], with_margin_s[3];
    verdict judged[3];
  } cases[] = {
      {"the default train, by metres",
       -1,
       0,
       1,
       8001,
       0xe835783b5a82a7e9u,
       std::nullopt,
       {0x1.7b2ad1076dc06p+7, 0x1.b0c27ec57a43cp+6, 0x1.b0480acc96378p+7},
       {0x1.8fbbe3a153648p+7, 0x1.c9fd799a2d628p+6, 0x1.c69cd807f878cp+7},
       {verdict::ok, verdict::ok, verdict::impossible}},
      {"the default train, by quarter metres",
       -1,
       0,
       0.25,
       32001,
       0x2481cfaa2844f62du,
       std::nullopt,
       {0x1.7b388884c45f9p+7, 0x1.b0e17d70176fep+6, 0x1.b04a7ba18ee74p+7},
       {0x1.8fca279451edcp+7, 0x1.ca1db5a7c69a8p+6, 0x1.c69f61db38a74p+7},
       {verdict::ok, verdict::ok, verdict::impossible}},
      {"a heavy train that stalls on the climb",
       100,
       80,
       1,
       1020,
       0xea431ee93cd444c8u,
       0x1.fep+9,
       {inf, inf, inf},
       {inf, inf, inf},
       {verdict::impossible, verdict::impossible, verdict::impossible}},
  };
  for (const auto& c : cases) {
    running_parameters p;
    if (c.cars >= 0) {
      p.train.cars = c.cars;
      p.train.car_mass_t = c.car_mass_t;
    }
    const running_result r = run_fastest(line, p, c.step_m);
    EXPECT_EQ(r.nodes(), c.nodes) << c.what;
    EXPECT_EQ(digest(r), c.digest) << c.what;
    EXPECT_EQ(r.stand_m, c.stand_m) << c.what;
    ASSERT_EQ(r.legs.size(), 3u) << c.what;
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(r.legs[i].fastest_s, c.fastest_s[i]) << c.what << " leg " << i;
      EXPECT_EQ(r.legs[i].with_margin_s, c.with_margin_s[i])
          << c.what << " leg " << i;
      EXPECT_EQ(r.legs[i].judged, c.judged[i]) << c.what << " leg " << i;
    }
  }
}

bool same_bits(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

TEST(running_time, the_run_that_keeps_no_node_gives_the_same_run_to_the_bit) {
  // The run goes one stretch between stops at a time; the one that keeps
  // every node and the one that keeps none must hand out the same nodes,
  // legs and stand, whatever the stops: ends that are not stops, points
  // that share a node, a stop with a dwell, a stand on a climb.
  running_line shared = varied_line();
  shared.points.insert(shared.points.begin() + 2, stop_at(3000, 3900));
  running_line open_ends = varied_line();
  open_ends.points.front().stop = open_ends.points.back().stop = false;
  running_line one_node = flat_line(101, 72, {stop_at(50, 0), stop_at(50, 9)});
  running_parameters heavy;
  heavy.train.cars = 100;
  heavy.train.car_mass_t = 80;
  const struct {
    const char* what;
    running_line line;
    running_parameters p;
    double step_m;
  } cases[] = {
      {"the varied line", varied_line(), {}, 1},
      {"by quarter metres", varied_line(), {}, 0.25},
      {"a stand on the climb", varied_line(), heavy, 1},
      {"two stops at one node", shared, {}, 1},
      {"ends that are not stops", open_ends, {}, 0.5},
      {"both ends at one node", one_node, {}, 1},
  };
  for (const auto& c : cases) {
    const running_result all = run_fastest(c.line, c.p, c.step_m);
    std::vector<run_node> handed;
    const running_result none =
        run_legs(c.line, c.p, c.step_m,
                 [&handed](const run_node& n) { handed.push_back(n); });
    EXPECT_EQ(none.nodes(), 0u) << c.what;
    EXPECT_EQ(none.stand_m, all.stand_m) << c.what;
    EXPECT_EQ(none.point_node, all.point_node) << c.what;
    ASSERT_EQ(handed.size(), all.nodes()) << c.what;
    ASSERT_GT(handed.size(), 0u) << c.what;
    for (size_t k = 0; k < handed.size(); ++k) {
      const run_node& n = handed[k];
      ASSERT_TRUE(n.k == k && same_bits(n.position_m, all.position(k)) &&
                  n.permitted_kmh == all.permitted_kmh[k] &&
                  same_bits(n.speed_ms, all.speed_ms[k]) &&
                  same_bits(n.time_s, all.time_s[k]) &&
                  same_bits(n.margin_time_s, all.margin_time_s[k]))
          << c.what << " node " << k;
    }
    ASSERT_EQ(none.legs.size(), all.legs.size()) << c.what;
    ASSERT_FALSE(all.legs.empty()) << c.what;
    for (size_t i = 0; i < all.legs.size(); ++i) {
      EXPECT_TRUE(
          same_bits(none.legs[i].fastest_s, all.legs[i].fastest_s) &&
          same_bits(none.legs[i].with_margin_s, all.legs[i].with_margin_s) &&
          none.legs[i].judged == all.legs[i].judged)
          << c.what << " leg " << i;
    }
  }
}

// An independent check: the leg integrated in time steps of 0.001 s with
// the train's forces, braking where the braking distance at b + g i meets
// the stop.
TEST(running_time, a_time_step_integration_agrees_within_half_a_second) {
  const double length = 12000, gradient = 5, limit_kmh = 140;
  running_line line =
      flat_line(static_cast<size_t>(length) + 1, static_cast<float>(limit_kmh),
                {stop_at(0, 0), stop_at(12000, 900)});
  line.gradient_permille.set(0, to_the_end, static_cast<float>(gradient));
  const running_parameters p;  // the default train
  const train_parameters& t = p.train;
  const double run = run_fastest(line, p).legs[0].fastest_s;

  const double top = std::min(limit_kmh, t.max_speed_kmh) / 3.6;
  const double rate = t.deceleration_ms2() + 9.81 * gradient / 1000;
  const double mass = t.mass_t() * 1000, inert = t.accelerated_mass_t() * 1000;
  const double dt = 0.001;
  double s = 0, v = 0, time = 0;
  while (s < length) {
    if (v * v / (2 * rate) >= length - s && v > 0) {
      const double v1 = std::max(v - rate * dt, 0.0);
      s += (v + v1) / 2 * dt;
      v = v1;
      if (v == 0) break;
    } else {
      const double f = t.tractive_effort_n(v) - t.resistance_n(v) -
                       mass * 9.81 * gradient / 1000;
      const double v1 = std::min(v + f / inert * dt, top);
      s += (v + v1) / 2 * dt;
      v = v1;
    }
    time += dt;
  }
  EXPECT_NEAR(run, time, 0.5);
  // No run beats 12 km at 140 km/h throughout.
  EXPECT_GT(run, length / top + 30);
}

}  // namespace
}  // namespace scenario
