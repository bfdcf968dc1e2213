#include "running/running_time.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "model/kilometres.h"
#include "railway/railway_objects.h"
#include "running/curves.h"

namespace scenario {
namespace {

constexpr double kmh_per_ms = 3.6;

void read_slowdowns(const scenario_model& m, step_profile& out) {
  bool open = false;
  int64_t open_start = 0;
  float open_speed = 0;
  auto close = [&](int64_t end) {
    out.lower(open_start, end, open_speed);
    open = false;
  };
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const cella& c = m.celle[i];
    const int64_t at = cell_position_m(c, static_cast<int64_t>(i));
    if (c.tipo == tipo_cella::inizio_rallentamento) {
      if (open) close(open_start);
      if (c.dato1 > 0) {
        open = true;
        open_start = at;
        open_speed = static_cast<float>(c.dato1);
      }
    } else if (c.tipo == tipo_cella::fine_rallentamento && open) {
      close(at);
    }
  }
}

// A stretch of metres alike for the run: from `from_m` to the next
// stretch, the limit (line, slowdown and curve), the gradient alone, for
// braking, and the gradient with the curve's resistance, for traction.
struct line_stretch {
  int64_t from_m = 0;
  float limit_kmh = 0;
  double slope = 0;
  double grade = 0;
};

// The limit of a metre: line, slowdown and curve.
float metre_limit(float line_kmh, float slowdown_kmh, float radius_m,
                  const curve_rule& rule) {
  float lim = line_kmh;
  if (slowdown_kmh > 0) lim = std::min(lim, slowdown_kmh);
  if (radius_m > 0) {
    lim =
        std::min(lim, static_cast<float>(rule.limit_ms(radius_m) * kmh_per_ms));
  }
  return lim;
}

// The line's four profiles merged: a stretch begins wherever one of them
// changes.
std::vector<line_stretch> stretches_of(const running_line& line,
                                       const train_parameters& t) {
  const curve_rule rule = t.curves();
  const step_profile* layers[] = {&line.line_limit_kmh, &line.slowdown_kmh,
                                  &line.gradient_permille,
                                  &line.curve_radius_m};
  size_t next[4] = {0, 0, 0, 0};
  float value[4] = {0, 0, 0, 0};
  std::vector<line_stretch> out;
  for (;;) {
    int64_t from = std::numeric_limits<int64_t>::max();
    for (size_t i = 0; i < 4; ++i) {
      const auto& c = layers[i]->changes();
      if (next[i] < c.size()) from = std::min(from, c[next[i]].from_m);
    }
    if (from == std::numeric_limits<int64_t>::max()) return out;
    for (size_t i = 0; i < 4; ++i) {
      const auto& c = layers[i]->changes();
      if (next[i] < c.size() && c[next[i]].from_m == from) {
        value[i] = c[next[i]++].value;
      }
    }
    const float radius = value[3];
    out.push_back({from, metre_limit(value[0], value[1], radius, rule),
                   double{value[2]},
                   double{value[2]} +
                       (radius > 0 ? t.curve_resistance_k / radius : 0.0)});
  }
}

// Reads the stretch of metres in increasing order.
class stretch_reader {
 public:
  explicit stretch_reader(const std::vector<line_stretch>& s) : s_(s) {}
  const line_stretch& at(int64_t metre) {
    while (i_ + 1 < s_.size() && s_[i_ + 1].from_m <= metre) ++i_;
    while (i_ > 0 && s_[i_].from_m > metre) --i_;
    return s_[i_];
  }

 private:
  const std::vector<line_stretch>& s_;
  size_t i_ = 0;
};

// The lowest limit over a sliding window of metres whose bounds only
// grow. The candidates live in a vector whose front only moves forward.
class window_min {
 public:
  explicit window_min(const std::vector<line_stretch>& s) : limits_(s) {}
  float over(int64_t lo, int64_t hi) {
    next_ = std::max(next_, lo);
    while (next_ <= hi) {
      const float v = limits_.at(next_).limit_kmh;
      while (q_.size() > front_ && q_.back().second >= v) q_.pop_back();
      q_.emplace_back(next_++, v);
    }
    while (front_ < q_.size() && q_[front_].first < lo) ++front_;
    if (front_ > 4096 && front_ * 2 > q_.size()) {
      q_.erase(q_.begin(), q_.begin() + static_cast<ptrdiff_t>(front_));
      front_ = 0;
    }
    return front_ < q_.size() ? q_[front_].second
                              : std::numeric_limits<float>::infinity();
  }

 private:
  stretch_reader limits_;
  std::vector<std::pair<int64_t, float>> q_;
  size_t front_ = 0;
  int64_t next_ = 0;
};

// The mean of a stretch value over a window of metres whose bounds only
// grow, summed metre by metre as metres enter at the head and leave at
// the tail.
class window_sum {
 public:
  window_sum(const std::vector<line_stretch>& s, double line_stretch::*field)
      : entering_(s), leaving_(s), field_(field) {}
  double mean(int64_t lo, int64_t hi) {
    if (hi_ == lo_ && lo > hi_) lo_ = hi_ = lo;
    while (hi_ <= hi) sum_ += entering_.at(hi_++).*field_;
    while (lo_ < lo) sum_ -= leaving_.at(lo_++).*field_;
    return hi_ > lo_ ? sum_ / static_cast<double>(hi_ - lo_) : 0;
  }

 private:
  stretch_reader entering_, leaving_;
  double line_stretch::*field_;
  double sum_ = 0;
  int64_t lo_ = 0, hi_ = 0;  // the metres [lo_, hi_) are in the sum
};

// The train's acceleration at speed v where the gradient and curve
// resistance under it add up to `grade_permille`.
struct dynamics {
  const train_parameters& t;
  double weight_n, accelerated_kg;

  explicit dynamics(const train_parameters& train)
      : t(train),
        weight_n(train.mass_t() * 1000 * gravity_ms2),
        accelerated_kg(train.accelerated_mass_t() * 1000) {}

  double acceleration(double v, double grade_permille) const {
    const double net = t.tractive_effort_n(v) - t.resistance_n(v) -
                       weight_n * grade_permille / 1000;
    return net / accelerated_kg;
  }
};

// The metres under a train's head and tail at a node, and under its tail
// at the node before.
struct node_metres {
  int64_t head = 0, tail = 0, tail_before = 0;
};

// The nodes of a run: node k is at start + k * h.
struct grid {
  double start = 0, h = 1;
  int64_t per_metre = 1, last_metre = 0;
  size_t n = 0;

  double x(size_t k) const { return start + static_cast<double>(k) * h; }
  // The metre a position is on, within the line.
  int64_t metre(double pos) const {
    return std::clamp(static_cast<int64_t>(std::floor(pos)), int64_t{0},
                      last_metre);
  }
  // Where a train of `length` stands at node k.
  node_metres metres_at(size_t k, double length) const {
    const double at = x(k);
    return {metre(at), metre(at - length), metre(at - h - length)};
  }
};

// The cap of each node: the lowest limit under the whole train from where
// its tail was at the node before to its head, so that it speeds up only
// once its tail has left a lower limit, and its top speed; 0 at the stops.
// With the limit at the head, and the gradient alone under the train for
// braking, at each node.
std::vector<float> caps_and_slopes(const std::vector<line_stretch>& s,
                                   const train_parameters& t, const grid& g,
                                   running_result& r) {
  std::vector<float> slope;
  slope.reserve(g.n);
  r.permitted_kmh.reserve(g.n);
  r.speed_ms.reserve(g.n);
  stretch_reader at_head(s);
  window_min lowest(s);
  window_sum slopes(s, &line_stretch::slope);
  const double length = t.length_m(), top = t.max_speed_ms();
  for (size_t k = 0; k < g.n; ++k) {
    const node_metres m = g.metres_at(k, length);
    r.permitted_kmh.push_back(at_head.at(m.head).limit_kmh);
    r.speed_ms.push_back(
        std::min(lowest.over(m.tail_before, m.head) / kmh_per_ms, top));
    slope.push_back(static_cast<float>(slopes.mean(m.tail, m.head)));
  }
  return slope;
}

// Braking curves backwards from every drop of the cap, at the planning
// deceleration corrected by the gradient under the train.
void brake_backwards(const train_parameters& t, const std::vector<float>& slope,
                     const grid& g, std::vector<double>& cap) {
  const double b = t.deceleration_ms2();
  for (size_t k = g.n - 1; k-- > 0;) {
    // Under the next node's speed no braking curve binds: no root needed.
    if (cap[k] > cap[k + 1]) {
      const double rate =
          std::max(b + gravity_ms2 * slope[k] / 1000, least_braking_ms2);
      cap[k] =
          std::min(cap[k], std::sqrt(cap[k + 1] * cap[k + 1] + 2 * rate * g.h));
    }
  }
}

// The speed at the end of a step that starts at v0 with acceleration a0,
// held through it (exact for a constant acceleration), under `cap`.
// Holding the limit with force to spare is the common case: the train
// cannot fall below its speed, so the limit is the next speed.
double next_speed(double v0, double a0, double cap, double h) {
  if (v0 >= cap && a0 >= 0) return cap;
  return std::min(std::sqrt(std::max(v0 * v0 + 2 * a0 * h, 0.0)), cap);
}

// Where the step from x at v0 to v1 leaves the train at a stand it may
// not make: it rolls to rest, or crawls on without the force to get going.
std::optional<double> stand_in_step(double x, double h, double v0, double a0,
                                    double v1, double cap) {
  if (v0 + v1 <= 0) return x;
  if (v1 <= 0 && cap > 0) return x + h;
  if (v1 < cap && v0 < crawl_speed_ms && v1 < crawl_speed_ms &&
      a0 < least_starting_acceleration_ms2) {
    return x;
  }
  return std::nullopt;
}

// The dwells, by node (the points are in order along the line).
std::vector<std::pair<size_t, int32_t>> dwells_by_node(
    const running_line& line, const running_result& r) {
  std::vector<std::pair<size_t, int32_t>> dwells;
  for (size_t i = 1; i + 1 < line.points.size(); ++i) {
    if (line.points[i].dwell_s != 0) {
      dwells.emplace_back(r.point_node[i], line.points[i].dwell_s);
    }
  }
  return dwells;
}

// Forwards from rest, under the braking curves: the speeds, the times and
// the times with margin.
void run_forwards(const running_line& line, const std::vector<line_stretch>& s,
                  const running_parameters& p, const grid& g,
                  running_result& r) {
  const dynamics d(p.train);
  // The caps become the speeds in place: a node's cap is read just before
  // its speed is written over it.
  std::vector<double>& cap = r.speed_ms;
  r.speed_ms[0] = 0;
  r.time_s.reserve(g.n);
  r.time_s.push_back(0);
  r.margin_time_s.reserve(g.n);
  r.margin_time_s.push_back(0);
  // The gradient and curves under the train, for traction.
  window_sum grades(s, &line_stretch::grade);
  const double length = p.train.length_m();
  const auto dwells = dwells_by_node(line, r);
  size_t next_dwell = 0;
  const double margin_s_per_m = p.margin.minutes_per_100km * 60 / 100000;
  double band_for_kmh = -1, stretch = 1;
  for (size_t k = 0; k + 1 < g.n; ++k) {
    const double v0 = r.speed_ms[k];
    const node_metres m = g.metres_at(k, length);
    const auto grade = static_cast<float>(grades.mean(m.tail, m.head));
    const double a0 = d.acceleration(v0, grade);
    const double v1 = next_speed(v0, a0, cap[k + 1], g.h);
    if (const auto stand = stand_in_step(g.x(k), g.h, v0, a0, v1, cap[k + 1])) {
      r.stand_m = *stand;
      r.speed_ms.resize(k + 1);
      return;
    }
    r.speed_ms[k + 1] = v1;
    // Constant acceleration over the step: the mean speed is the average.
    const double dt = 2 * g.h / (v0 + v1);
    if (r.permitted_kmh[k] != band_for_kmh) {
      band_for_kmh = r.permitted_kmh[k];
      stretch = 1 + p.margin.percent_at(band_for_kmh) / 100;
    }
    double dwell = 0;
    while (next_dwell < dwells.size() && dwells[next_dwell].first == k) {
      dwell += dwells[next_dwell++].second;
    }
    r.time_s.push_back(r.time_s[k] + dt + dwell);
    r.margin_time_s.push_back(r.margin_time_s[k] + dt * stretch +
                              g.h * margin_s_per_m + dwell);
  }
}

void judge_legs(const running_line& line, const running_parameters& p,
                running_result& r) {
  for (size_t i = 0; i + 1 < line.points.size(); ++i) {
    const timed_point& a = line.points[i];
    const timed_point& b = line.points[i + 1];
    leg l;
    l.from = i;
    l.to = i + 1;
    l.distance_m = static_cast<double>(b.position_m - a.position_m);
    l.scheduled_s = static_cast<double>(b.arrival_s() - a.time_s);
    const size_t ka = r.point_node[i], kb = r.point_node[i + 1];
    if (kb >= r.nodes()) {  // beyond where the train stood
      l.fastest_s = l.with_margin_s = std::numeric_limits<double>::infinity();
    } else {
      // The time since the first departure counts the dwell of `a` after
      // its node: the leg starts when it leaves.
      // (Two points at one position share a node: no time, no dwell.)
      l.fastest_s = std::max(0.0, r.time_s[kb] - r.time_s[ka] - a.dwell_s);
      l.with_margin_s =
          std::max(0.0, r.margin_time_s[kb] - r.margin_time_s[ka] - a.dwell_s);
    }
    if (l.scheduled_s < l.fastest_s) {
      l.judged = verdict::impossible;
    } else if (l.scheduled_s < l.with_margin_s) {
      l.judged = verdict::tight;
    } else if (l.scheduled_s > p.margin.slack_factor * l.with_margin_s) {
      l.judged = verdict::slack;
    } else {
      l.judged = verdict::ok;
    }
    r.legs.push_back(l);
  }
}

constexpr int64_t day_s = 24 * 3600;

// Refuses a timed station off the line (the compiled files are damaged:
// dropping it would charge its minute and dwell to a neighbour), and reads
// a time earlier than the one before as the next day's.
void settle_points(running_line& line) {
  const auto metres = static_cast<int64_t>(line.metres());
  for (const timed_point& p : line.points) {
    if (p.position_m < 0 || p.position_m >= metres) {
      line.damage = "the timed station in entry " + std::to_string(p.entry) +
                    " stands at " + std::to_string(p.position_m) +
                    " m, off the line (0 to " + std::to_string(metres) +
                    " m): the stations cannot be read in order";
      return;
    }
  }
  int64_t days = 0;
  for (size_t i = 0; i < line.points.size(); ++i) {
    timed_point& p = line.points[i];
    p.time_s += days;
    if (i > 0 && p.arrival_s() < line.points[i - 1].time_s) {
      days += day_s;
      p.time_s += day_s;
      line.next_day.push_back(i);
    }
  }
}

}  // namespace

const char* verdict_name(verdict v) {
  switch (v) {
    case verdict::impossible:
      return "impossible";
    case verdict::tight:
      return "tight";
    case verdict::ok:
      return "ok";
    case verdict::slack:
      return "slack";
  }
  return "?";
}

std::vector<timed_point> timed_points(const scenario_model& m) {
  std::vector<timed_point> points;
  // A station off the line stays a point: settle_points refuses it by name.
  for (const station_view& s : stations(m)) {
    const voce& v = *s.v;
    if (v.orario == 0) continue;
    points.push_back(
        {s.entry, v.nome, v.posizione, v.orario, v.flag3, s.stops});
  }
  std::stable_sort(points.begin(), points.end(),
                   [](const timed_point& a, const timed_point& b) {
                     return a.position_m < b.position_m;
                   });
  if (!points.empty()) {
    // The run starts from a stand and ends at one, wherever the cells leave
    // its first and last station.
    points.front().stop = true;
    points.front().dwell_s = 0;  // the run starts at its departure
    points.back().stop = true;
    points.back().dwell_s = 0;  // its time is the arrival
  }
  return points;
}

running_line read_running_line(const scenario_model& m,
                               const std::vector<curve_stretch>* curves) {
  running_line line;
  const auto metres = static_cast<int64_t>(m.celle.size()) * cell_length_m;
  std::vector<step_profile::change> limits, gradients;
  limits.reserve(m.celle.size());
  gradients.reserve(m.celle.size());
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const cella& c = m.celle[i];
    const int64_t from = static_cast<int64_t>(i) * cell_length_m;
    limits.push_back({from, static_cast<float>(c.velocita_limite * 5)});
    gradients.push_back({from, static_cast<float>(int{c.pendenza} - 100)});
  }
  line.line_limit_kmh = step_profile(metres, std::move(limits));
  line.gradient_permille = step_profile(metres, std::move(gradients));
  line.slowdown_kmh = step_profile(metres, 0);
  read_slowdowns(m, line.slowdown_kmh);
  line.curve_radius_m = step_profile(metres, 0);
  if (curves != nullptr) {
    line.curves_known = true;
    for (const curve_stretch& c : *curves) {
      line.curve_radius_m.lower(c.start_m, c.start_m + c.length_m,
                                static_cast<float>(c.radius_m));
    }
  }
  line.points = timed_points(m);
  settle_points(line);
  return line;
}

running_result run_fastest(const running_line& line,
                           const running_parameters& p, double step_m) {
  running_result r;
  r.step_m = step_m;
  if (line.points.size() < 2 || !line.damage.empty() || line.metres() == 0) {
    return r;
  }
  grid g;
  g.h = step_m;
  g.per_metre = static_cast<int64_t>(std::llround(1 / step_m));
  g.start = static_cast<double>(line.points.front().position_m);
  const int64_t span =
      line.points.back().position_m - line.points.front().position_m;
  g.n = static_cast<size_t>(span * g.per_metre) + 1;
  g.last_metre = static_cast<int64_t>(line.metres()) - 1;
  r.start_m = g.start;

  const std::vector<line_stretch> s = stretches_of(line, p.train);
  const std::vector<float> slope = caps_and_slopes(s, p.train, g, r);
  for (const timed_point& pt : line.points) {
    const auto k = static_cast<size_t>(
        (pt.position_m - line.points.front().position_m) * g.per_metre);
    r.point_node.push_back(k);
    if (pt.stop) r.speed_ms[k] = 0;
  }
  brake_backwards(p.train, slope, g, r.speed_ms);
  run_forwards(line, s, p, g, r);
  judge_legs(line, p, r);
  return r;
}

}  // namespace scenario
