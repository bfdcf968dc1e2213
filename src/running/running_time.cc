#include "running/running_time.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "running/curves.h"

namespace scenario {
namespace {

constexpr double kmh_per_ms = 3.6;

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

// Braking curves backwards from every drop of the cap, at the planning
// deceleration corrected by the gradient under the train: over the nodes
// [0, n) of a stretch whose last node is a stop.
void brake_backwards(const train_parameters& t, const std::vector<float>& slope,
                     double h, size_t n, std::vector<double>& cap) {
  const double b = t.deceleration_ms2();
  for (size_t k = n - 1; k-- > 0;) {
    // Under the next node's speed no braking curve binds: no root needed.
    if (cap[k] > cap[k + 1]) {
      const double rate =
          std::max(b + gravity_ms2 * slope[k] / 1000, least_braking_ms2);
      cap[k] =
          std::min(cap[k], std::sqrt(cap[k + 1] * cap[k + 1] + 2 * rate * h));
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

// The run, one stretch between two stops at a time: a stop holds the
// train at rest, so no braking curve reaches back past it, and the values
// of a stretch's nodes need live only while it is run. The readers of the
// line walk on from one stretch to the next, so every node's value comes
// out as if the whole run were held at once.
class fastest_run {
 public:
  fastest_run(const running_line& line, const running_parameters& p,
              const grid& g, const node_callback& each)
      : line_(line),
        p_(p),
        g_(g),
        each_(each),
        s_(stretches_of(line, p.train)),
        at_head_(s_),
        lowest_(s_),
        slopes_(s_, &line_stretch::slope),
        grades_(s_, &line_stretch::grade),
        d_(p.train),
        length_(p.train.length_m()),
        margin_s_per_m_(p.margin.minutes_per_100km * 60 / 100000) {}

  // Runs from the first timed point to the last; their nodes are in
  // `point_node`. Sets `reached` (the nodes the train reaches), the time
  // and the time with margin at each point reached, and `stand_m`.
  void run(const std::vector<size_t>& point_node);

  // The limit at the head at node k, for nodes the run did not reach.
  float limit_at_head(size_t k) {
    return at_head_.at(g_.metres_at(k, length_).head).limit_kmh;
  }

  size_t reached = 0;
  std::vector<double> point_time_s, point_margin_time_s;
  std::optional<double> stand_m;

 private:
  void caps(size_t from, size_t to);
  bool forwards(size_t from, size_t to);
  void reach(size_t k, double speed);

  const running_line& line_;
  const running_parameters& p_;
  const grid& g_;
  const node_callback& each_;
  const std::vector<line_stretch> s_;
  stretch_reader at_head_;
  window_min lowest_;
  window_sum slopes_, grades_;
  const dynamics d_;
  const double length_, margin_s_per_m_;
  // The nodes of the stretch being run, by their distance from its start:
  // the limit at the head, the cap (the speed, once run) and the gradient
  // under the train for braking.
  std::vector<float> permitted_, slope_;
  std::vector<double> cap_;
  size_t base_ = 0;  // the stretch's first node
  // The run so far.
  double time_ = 0, margin_time_ = 0;
  double band_for_kmh_ = -1, stretch_factor_ = 1;
  std::vector<std::pair<size_t, int32_t>> dwells_;  // by node
  size_t next_dwell_ = 0, next_point_ = 0;
  const std::vector<size_t>* point_node_ = nullptr;
};

// The cap of the nodes [from, to]: the lowest limit under the whole train
// from where its tail was at the node before to its head, so that it
// speeds up only once its tail has left a lower limit, and its top speed;
// with the limit at the head, and the gradient alone under the train for
// braking. Node `from` is carried over from the stretch before, if any,
// with the speed the run reached there as its cap.
void fastest_run::caps(size_t from, size_t to) {
  const double top = p_.train.max_speed_ms();
  const size_t n = to - from + 1;
  size_t i = 0;
  if (!cap_.empty()) {
    permitted_[0] = permitted_.back();
    slope_[0] = slope_.back();
    cap_[0] = cap_.back();
    i = 1;
  }
  permitted_.resize(n);
  slope_.resize(n);
  cap_.resize(n);
  base_ = from;
  for (; i < n; ++i) {
    const node_metres m = g_.metres_at(from + i, length_);
    permitted_[i] = at_head_.at(m.head).limit_kmh;
    cap_[i] = std::min(lowest_.over(m.tail_before, m.head) / kmh_per_ms, top);
    slope_[i] = static_cast<float>(slopes_.mean(m.tail, m.head));
  }
}

// Hands node k out and takes the times of the points there.
void fastest_run::reach(size_t k, double speed) {
  reached = k + 1;
  const std::vector<size_t>& nodes = *point_node_;
  while (next_point_ < nodes.size() && nodes[next_point_] == k) {
    point_time_s[next_point_] = time_;
    point_margin_time_s[next_point_++] = margin_time_;
  }
  if (each_) {
    each_({k, g_.x(k), permitted_[k - base_], speed, time_, margin_time_});
  }
}

// Forwards from rest at `from` to rest at `to`, under the braking curves:
// false where the train comes to a stand on the way.
bool fastest_run::forwards(size_t from, size_t to) {
  for (size_t k = from; k < to; ++k) {
    const size_t i = k - from;
    const double v0 = cap_[i];
    const node_metres m = g_.metres_at(k, length_);
    const auto grade = static_cast<float>(grades_.mean(m.tail, m.head));
    const double a0 = d_.acceleration(v0, grade);
    const double v1 = next_speed(v0, a0, cap_[i + 1], g_.h);
    if (const auto stand =
            stand_in_step(g_.x(k), g_.h, v0, a0, v1, cap_[i + 1])) {
      stand_m = *stand;
      return false;
    }
    cap_[i + 1] = v1;
    // Constant acceleration over the step: the mean speed is the average.
    const double dt = 2 * g_.h / (v0 + v1);
    if (permitted_[i] != band_for_kmh_) {
      band_for_kmh_ = permitted_[i];
      stretch_factor_ = 1 + p_.margin.percent_at(band_for_kmh_) / 100;
    }
    double dwell = 0;
    while (next_dwell_ < dwells_.size() && dwells_[next_dwell_].first == k) {
      dwell += dwells_[next_dwell_++].second;
    }
    time_ = time_ + dt + dwell;
    margin_time_ =
        margin_time_ + dt * stretch_factor_ + g_.h * margin_s_per_m_ + dwell;
    reach(k + 1, v1);
  }
  return true;
}

void fastest_run::run(const std::vector<size_t>& point_node) {
  point_node_ = &point_node;
  const size_t points = line_.points.size();
  point_time_s.assign(points, 0);
  point_margin_time_s.assign(points, 0);
  // The stretches end at the first node, at every stop and at the last
  // node (the points are in order along the line).
  std::vector<size_t> ends = {0};
  std::vector<bool> stop_at_end = {false};
  for (size_t i = 0; i < points; ++i) {
    if (line_.points[i].stop) {
      if (ends.back() != point_node[i]) {
        ends.push_back(point_node[i]);
        stop_at_end.push_back(false);
      }
      stop_at_end.back() = true;
    }
    if (i > 0 && i + 1 < points && line_.points[i].dwell_s != 0) {
      dwells_.emplace_back(point_node[i], line_.points[i].dwell_s);
    }
  }
  if (ends.back() != g_.n - 1) {
    ends.push_back(g_.n - 1);
    stop_at_end.push_back(false);
  }
  if (ends.size() == 1) {  // the first and the last point share a node
    caps(0, 0);
    reach(0, 0);
    return;
  }
  for (size_t j = 0; j + 1 < ends.size(); ++j) {
    caps(ends[j], ends[j + 1]);
    if (stop_at_end[j + 1]) cap_.back() = 0;
    brake_backwards(p_.train, slope_, g_.h, cap_.size(), cap_);
    if (j == 0) {
      cap_[0] = 0;  // the run starts from rest
      reach(0, 0);
    }
    if (!forwards(ends[j], ends[j + 1])) return;
  }
}

// The legs: the times between the points' nodes, and their verdicts.
void judge_legs(const running_line& line, const running_parameters& p,
                const fastest_run& run, running_result& r) {
  for (size_t i = 0; i + 1 < line.points.size(); ++i) {
    const timed_point& a = line.points[i];
    const timed_point& b = line.points[i + 1];
    leg l;
    l.from = i;
    l.to = i + 1;
    l.distance_m = static_cast<double>(b.position_m - a.position_m);
    l.scheduled_s = static_cast<double>(b.arrival_s() - a.time_s);
    if (r.point_node[i + 1] >= run.reached) {  // beyond where the train stood
      l.fastest_s = l.with_margin_s = std::numeric_limits<double>::infinity();
    } else {
      // The time since the first departure counts the dwell of `a` after
      // its node: the leg starts when it leaves.
      // (Two points at one position share a node: no time, no dwell.)
      l.fastest_s = std::max(
          0.0, run.point_time_s[i + 1] - run.point_time_s[i] - a.dwell_s);
      l.with_margin_s =
          std::max(0.0, run.point_margin_time_s[i + 1] -
                            run.point_margin_time_s[i] - a.dwell_s);
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

namespace {

grid grid_of(const running_line& line, double step_m) {
  grid g;
  g.h = step_m;
  g.per_metre = static_cast<int64_t>(std::llround(1 / step_m));
  g.start = static_cast<double>(line.points.front().position_m);
  const int64_t span =
      line.points.back().position_m - line.points.front().position_m;
  g.n = static_cast<size_t>(span * g.per_metre) + 1;
  g.last_metre = static_cast<int64_t>(line.metres()) - 1;
  return g;
}

bool runnable(const running_line& line) {
  return line.points.size() >= 2 && line.damage.empty() && line.metres() > 0;
}

// The run; where the train stands, `beyond` takes the limit at the head of
// the nodes it does not reach.
running_result run_line(const running_line& line, const running_parameters& p,
                        double step_m, const node_callback& each,
                        std::vector<float>* beyond) {
  running_result r;
  r.step_m = step_m;
  if (!runnable(line)) return r;
  const grid g = grid_of(line, step_m);
  r.start_m = g.start;
  for (const timed_point& pt : line.points) {
    r.point_node.push_back(static_cast<size_t>(
        (pt.position_m - line.points.front().position_m) * g.per_metre));
  }
  fastest_run run(line, p, g, each);
  run.run(r.point_node);
  r.stand_m = run.stand_m;
  if (beyond != nullptr) {
    for (size_t k = run.reached; k < g.n; ++k) {
      beyond->push_back(run.limit_at_head(k));
    }
  }
  judge_legs(line, p, run, r);
  return r;
}

}  // namespace

running_result run_fastest(const running_line& line,
                           const running_parameters& p, double step_m) {
  std::vector<float> permitted;
  std::vector<double> speed, time, margin_time;
  if (runnable(line)) {
    const size_t n = grid_of(line, step_m).n;
    permitted.reserve(n);
    speed.reserve(n);
    time.reserve(n);
    margin_time.reserve(n);
  }
  running_result r = run_line(
      line, p, step_m,
      [&](const run_node& node) {
        permitted.push_back(node.permitted_kmh);
        speed.push_back(node.speed_ms);
        time.push_back(node.time_s);
        margin_time.push_back(node.margin_time_s);
      },
      &permitted);
  r.permitted_kmh = std::move(permitted);
  r.speed_ms = std::move(speed);
  r.time_s = std::move(time);
  r.margin_time_s = std::move(margin_time);
  return r;
}

running_result run_legs(const running_line& line, const running_parameters& p,
                        double step_m, const node_callback& each) {
  return run_line(line, p, step_m, each, nullptr);
}

}  // namespace scenario
