#include "running/running_time.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>

#include "model/kilometres.h"
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

void read_points(const scenario_model& m, running_line& line) {
  // Stations are the entries from 1 up to the first empty one, and never an
  // entry a direction board uses.
  int limit = voce_index::primo_cartello + 1;
  for (const cella& c : m.celle) {
    if (c.tipo == tipo_cella::cartello_indicatore && c.dato1 > 0) {
      limit = std::min<int>(limit, c.dato1);
    }
  }
  const auto metres = static_cast<int64_t>(line.metres());
  for (int n = voce_index::prima_stazione; n < limit; ++n) {
    const voce& v = m.voci[static_cast<size_t>(n)];
    if (v == voce{}) break;
    if (v.orario == 0 || v.posizione < 0 || v.posizione >= metres) continue;
    line.points.push_back(
        {n, v.nome, v.posizione, v.orario, v.flag3, v.flag3 != 0});
  }
  std::stable_sort(line.points.begin(), line.points.end(),
                   [](const timed_point& a, const timed_point& b) {
                     return a.position_m < b.position_m;
                   });
  if (!line.points.empty()) {
    line.points.front().stop = true;
    line.points.front().dwell_s = 0;  // the run starts at its departure
    line.points.back().stop = true;
    line.points.back().dwell_s = 0;  // its time is the arrival
  }
}

// The smallest value of a sliding window of metres whose bounds only grow.
class window_min {
 public:
  explicit window_min(const std::vector<double>& v) : v_(v) {}
  double over(int64_t lo, int64_t hi) {
    while (next_ <= hi) {
      while (!q_.empty() && v_[q_.back()] >= v_[next_]) q_.pop_back();
      q_.push_back(next_++);
    }
    while (!q_.empty() && static_cast<int64_t>(q_.front()) < lo) q_.pop_front();
    return q_.empty() ? std::numeric_limits<double>::infinity()
                      : v_[q_.front()];
  }

 private:
  const std::vector<double>& v_;
  std::deque<size_t> q_;
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

  // d(v^2)/ds = 2a, integrated over `h` metres by the classical Runge-Kutta
  // rule (v^2 rather than v: it stays smooth through a start from rest).
  double next_square(double e, double h, double grade) const {
    auto f = [&](double x) {
      return 2 * acceleration(std::sqrt(std::max(x, 0.0)), grade);
    };
    const double k1 = f(e);
    const double k2 = f(e + h / 2 * k1);
    const double k3 = f(e + h / 2 * k2);
    const double k4 = f(e + h * k3);
    return e + h / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
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
    l.scheduled_s = b.arrival_s() - a.time_s;
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
  read_points(m, line);
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

  // The limit of each metre: line, slowdown and curve.
  std::vector<double> limit(line.metres());
  for (size_t x = 0; x < limit.size(); ++x) {
    double v = line.line_limit_kmh[x];
    if (line.slowdown_kmh[x] > 0) v = std::min<double>(v, line.slowdown_kmh[x]);
    if (line.curve_radius_m[x] > 0) {
      v = std::min(v,
                   curve_speed_limit_ms(line.curve_radius_m[x]) * kmh_per_ms);
    }
    limit[x] = v;
  }

  // The cap of each node: the lowest limit under the whole train (head at
  // x, tail at x - length), 0 at the stops. Braked backwards into it.
  r.permitted_kmh.resize(n);
  std::vector<double> cap(n);
  window_min under_train(limit);
  for (size_t k = 0; k < n; ++k) {
    const double x = start + static_cast<double>(k) * h;
    const auto head = std::min(static_cast<int64_t>(std::floor(x)), last_metre);
    // The metre just behind the tail counts too: the train left it only
    // as it reached this node.
    const auto tail = static_cast<int64_t>(std::ceil(x - t.length_m())) - 1;
    r.permitted_kmh[k] = limit[static_cast<size_t>(head)];
    cap[k] = under_train.over(tail, head) / kmh_per_ms;
  }
  for (const timed_point& pt : line.points) {
    const auto k = static_cast<size_t>(
        (pt.position_m - line.points.front().position_m) * per_metre);
    r.point_node.push_back(k);
    if (pt.stop) cap[k] = 0;
  }
  const double b = t.deceleration_ms2();
  for (size_t k = n - 1; k-- > 0;) {
    cap[k] = std::min(cap[k], std::sqrt(cap[k + 1] * cap[k + 1] + 2 * b * h));
  }

  // Forwards from rest, under the braking curves.
  const dynamics d(t);
  r.speed_ms.assign(n, 0);
  r.time_s.assign(n, 0);
  r.margin_time_s.assign(n, 0);
  std::vector<int32_t> dwell_after(n, 0);
  for (size_t i = 1; i + 1 < line.points.size(); ++i) {
    dwell_after[r.point_node[i]] += line.points[i].dwell_s;
  }
  const double margin_s_per_m = p.margin.minutes_per_100km * 60 / 100000;
  for (size_t k = 0; k + 1 < n; ++k) {
    const double x = start + static_cast<double>(k) * h;
    const auto metre = static_cast<size_t>(
        std::min(static_cast<int64_t>(std::floor(x)), last_metre));
    double grade = line.gradient_permille[metre];
    if (line.curve_radius_m[metre] > 0) {
      grade += t.curve_resistance_k / line.curve_radius_m[metre];
    }
    const double v0 = r.speed_ms[k];
    const double e1 = d.next_square(v0 * v0, h, grade);
    const double v1 = std::min(std::sqrt(std::max(e1, 0.0)), cap[k + 1]);
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
    const double pct = p.margin.percent_at(r.permitted_kmh[k]);
    r.time_s[k + 1] = r.time_s[k] + dt + dwell_after[k];
    r.margin_time_s[k + 1] = r.margin_time_s[k] + dt * (1 + pct / 100) +
                             h * margin_s_per_m + dwell_after[k];
  }
  judge_legs(line, p, r);
  return r;
}

}  // namespace scenario
