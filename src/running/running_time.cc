#include "running/running_time.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>

#include "model/kilometres.h"
#include "railway/railway_objects.h"
#include "running/curves.h"

namespace scenario {
namespace {

constexpr double kmh_per_ms = 3.6;

void read_slowdowns(const scenario_model& m, std::vector<float>& out) {
  bool open = false;
  int64_t open_start = 0;
  float open_speed = 0;
  auto close = [&](int64_t end) {
    const int64_t from = std::max<int64_t>(open_start, 0);
    const int64_t to = std::min<int64_t>(end, static_cast<int64_t>(out.size()));
    for (int64_t x = from; x < to; ++x) {
      float& v = out[static_cast<size_t>(x)];
      v = v == 0 ? open_speed : std::min(v, open_speed);
    }
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

// The smallest value of a sliding window of metres whose bounds only grow;
// `value_of(metre)` gives a metre's value when it enters the window.
class window_min {
 public:
  template <typename value_fn>
  double over(int64_t lo, int64_t hi, const value_fn& value_of) {
    next_ = std::max(next_, lo);
    while (next_ <= hi) {
      const double v = value_of(next_);
      while (!q_.empty() && q_.back().second >= v) q_.pop_back();
      q_.emplace_back(next_++, v);
    }
    while (!q_.empty() && q_.front().first < lo) q_.pop_front();
    return q_.empty() ? std::numeric_limits<double>::infinity()
                      : q_.front().second;
  }

 private:
  std::deque<std::pair<int64_t, double>> q_;
  int64_t next_ = 0;
};

// The train's acceleration at speed v on a metre whose gradient and curve
// resistance add up to `grade_permille`.
struct dynamics {
  double mass_kg, force_cap_n, power_w, a_n, b_n, c_n, inertia;

  explicit dynamics(const train_parameters& t)
      : mass_kg(t.mass_t() * 1000),
        force_cap_n(t.mass_t() * 1000 * t.max_acceleration_ms2),
        power_w(t.power_kw * 1000),
        a_n(t.davis_a_n_per_t * t.mass_t()),
        b_n(t.davis_b_n_per_t_per_ms * t.mass_t()),
        c_n(t.davis_c_n_per_t_per_ms2 * t.mass_t()),
        inertia(t.inertia_factor) {}

  double acceleration(double v, double grade_permille) const {
    const double traction =
        v > 0 ? std::min(force_cap_n, power_w / v) : force_cap_n;
    const double resistance = a_n + (b_n + c_n * v) * v +
                              mass_kg * gravity_ms2 * grade_permille / 1000;
    return (traction - resistance) / (inertia * mass_kg);
  }
};

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
  const auto metres = static_cast<int64_t>(m.celle.size() * cell_length_m);
  std::vector<timed_point> points;
  for (const station_view& s : stations(m)) {
    const voce& v = *s.v;
    if (v.orario == 0 || v.posizione < 0 || v.posizione >= metres) continue;
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
  const size_t metres = m.celle.size() * cell_length_m;
  line.line_limit_kmh.resize(metres);
  line.gradient_permille.resize(metres);
  for (size_t x = 0; x < metres; ++x) {
    const cella& c = m.celle[x / cell_length_m];
    line.line_limit_kmh[x] = static_cast<float>(c.velocita_limite * 5);
    line.gradient_permille[x] = static_cast<float>(int{c.pendenza} - 100);
  }
  line.slowdown_kmh.assign(metres, 0);
  read_slowdowns(m, line.slowdown_kmh);
  line.curve_radius_m.assign(metres, 0);
  if (curves != nullptr) {
    line.curves_known = true;
    for (const curve_stretch& c : *curves) {
      const int64_t from = std::max<int64_t>(c.start_m, 0);
      const int64_t to = std::min<int64_t>(c.start_m + c.length_m,
                                           static_cast<int64_t>(metres));
      for (int64_t x = from; x < to; ++x) {
        float& r = line.curve_radius_m[static_cast<size_t>(x)];
        const auto radius = static_cast<float>(c.radius_m);
        r = r == 0 ? radius : std::min(r, radius);
      }
    }
  }
  line.points = timed_points(m);
  return line;
}

running_result run_fastest(const running_line& line,
                           const running_parameters& p, double step_m) {
  running_result r;
  r.step_m = step_m;
  if (line.points.size() < 2) return r;
  const train_parameters& t = p.train;
  const double h = step_m;
  const auto per_metre = static_cast<int64_t>(std::llround(1 / h));
  const double start = static_cast<double>(line.points.front().position_m);
  const int64_t span =
      line.points.back().position_m - line.points.front().position_m;
  const size_t n = static_cast<size_t>(span * per_metre) + 1;
  r.start_m = start;
  const auto last_metre = static_cast<int64_t>(line.metres()) - 1;

  // The limit of a metre: line, slowdown and curve.
  auto limit_at = [&line](int64_t metre) {
    const auto x = static_cast<size_t>(metre);
    double v = line.line_limit_kmh[x];
    if (line.slowdown_kmh[x] > 0) v = std::min<double>(v, line.slowdown_kmh[x]);
    if (line.curve_radius_m[x] > 0) {
      v = std::min(v,
                   curve_speed_limit_ms(line.curve_radius_m[x]) * kmh_per_ms);
    }
    return v;
  };

  // The cap of each node: the lowest limit under the whole train (head at
  // x, tail at x - length), 0 at the stops; braked backwards into it, it
  // bounds the forward run. It is kept where the run's speeds go.
  r.permitted_kmh.resize(n);
  std::vector<double>& cap = r.speed_ms;
  cap.resize(n);
  window_min under_train;
  for (size_t k = 0; k < n; ++k) {
    const double x = start + static_cast<double>(k) * h;
    const auto head = std::min(static_cast<int64_t>(std::floor(x)), last_metre);
    // The metre just behind the tail counts too: the train left it only
    // as it reached this node.
    const auto tail = static_cast<int64_t>(std::ceil(x - t.length_m())) - 1;
    r.permitted_kmh[k] = static_cast<float>(limit_at(head));
    cap[k] = under_train.over(tail, head, limit_at) / kmh_per_ms;
  }
  for (const timed_point& pt : line.points) {
    const auto k = static_cast<size_t>(
        (pt.position_m - line.points.front().position_m) * per_metre);
    r.point_node.push_back(k);
    if (pt.stop) cap[k] = 0;
  }
  const double b = t.deceleration_ms2();
  for (size_t k = n - 1; k-- > 0;) {
    // Under the next node's speed no braking curve binds: no root needed.
    if (cap[k] > cap[k + 1]) {
      cap[k] = std::min(cap[k], std::sqrt(cap[k + 1] * cap[k + 1] + 2 * b * h));
    }
  }

  // Forwards from rest, under the braking curves.
  const dynamics d(t);
  r.speed_ms[0] = 0;
  r.time_s.assign(n, 0);
  r.margin_time_s.assign(n, 0);
  // The dwells, by node (the points are in order along the line).
  std::vector<std::pair<size_t, int32_t>> dwells;
  for (size_t i = 1; i + 1 < line.points.size(); ++i) {
    if (line.points[i].dwell_s != 0) {
      dwells.emplace_back(r.point_node[i], line.points[i].dwell_s);
    }
  }
  size_t next_dwell = 0;
  const double margin_s_per_m = p.margin.minutes_per_100km * 60 / 100000;
  double band_for_kmh = -1, stretch = 1;
  for (size_t k = 0; k + 1 < n; ++k) {
    const double x = start + static_cast<double>(k) * h;
    const auto metre = static_cast<size_t>(
        std::min(static_cast<int64_t>(std::floor(x)), last_metre));
    double grade = line.gradient_permille[metre];
    if (line.curve_radius_m[metre] > 0) {
      grade += t.curve_resistance_k / line.curve_radius_m[metre];
    }
    const double v0 = r.speed_ms[k];
    // The acceleration at the start of the step, held through it (exact
    // for a constant acceleration). Holding the limit with power to spare
    // is the common case: the train cannot fall below its speed, so the
    // limit is the next speed.
    const double a0 = d.acceleration(v0, grade);
    const double v1 =
        v0 >= cap[k + 1] && a0 >= 0
            ? cap[k + 1]
            : std::min(std::sqrt(std::max(v0 * v0 + 2 * a0 * h, 0.0)),
                       cap[k + 1]);
    if (v0 + v1 <= 0 || (v1 <= 0 && cap[k + 1] > 0)) {
      r.stand_m = v0 + v1 <= 0 ? x : x + h;
      r.speed_ms.resize(k + 1);
      r.time_s.resize(k + 1);
      r.margin_time_s.resize(k + 1);
      break;
    }
    r.speed_ms[k + 1] = v1;
    // Constant acceleration over the step: the mean speed is the average.
    const double dt = 2 * h / (v0 + v1);
    if (r.permitted_kmh[k] != band_for_kmh) {
      band_for_kmh = r.permitted_kmh[k];
      stretch = 1 + p.margin.percent_at(band_for_kmh) / 100;
    }
    double dwell = 0;
    while (next_dwell < dwells.size() && dwells[next_dwell].first == k) {
      dwell += dwells[next_dwell++].second;
    }
    r.time_s[k + 1] = r.time_s[k] + dt + dwell;
    r.margin_time_s[k + 1] =
        r.margin_time_s[k] + dt * stretch + h * margin_s_per_m + dwell;
  }
  judge_legs(line, p, r);
  return r;
}

}  // namespace scenario
