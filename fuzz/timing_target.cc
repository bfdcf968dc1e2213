// The running-time calculation over any train values: a JSON object of
// values (as --params gives them), then a NUL byte and a small line drawn
// from the bytes that follow (per 200 m: a limit, a gradient, a curve).
// Values are refused, or the run is finite, never faster than the limit
// under the whole train nor the train's top speed, with times that only
// grow, the run that keeps no node's values agrees with it to the bit, and
// its outputs print no NaN and no infinity.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <deque>
#include <string>

#include "fuzz/targets.h"
#include "running/running_time.h"
#include "running/timing_report.h"
#include "running/train.h"

namespace scenario::fuzz {
namespace {

constexpr size_t stretch_m = 200;
constexpr size_t most_stretches = 20;

// A line of up to 4 km from the bytes: three per stretch (limit 5 to
// 255 km/h in steps of 5 from the first, gradient -40 to +40 per mille
// from the second, a curve of a class radius from the third, straight
// for most values); stops at both ends and in the middle, with a dwell.
running_line line_of(std::string_view bytes) {
  static constexpr float radii[] = {0, 0, 10000, 5000, 2500, 1000, 500, 333};
  size_t stretches = std::min(bytes.size() / 3, most_stretches);
  const bool given = stretches > 0;
  if (!given) stretches = 10;
  running_line l;
  const auto end = static_cast<int64_t>(stretches * stretch_m);
  l.line_limit_kmh = step_profile(end + 1, 100);
  l.slowdown_kmh = step_profile(end + 1, 0);
  l.gradient_permille = step_profile(end + 1, 0);
  l.curve_radius_m = step_profile(end + 1, 0);
  l.curves_known = true;
  for (size_t s = 0; given && s < stretches; ++s) {
    const auto b = [&](size_t i) {
      return static_cast<unsigned char>(bytes[3 * s + i]);
    };
    const auto from = static_cast<int64_t>(s * stretch_m);
    const int64_t to = from + static_cast<int64_t>(stretch_m);
    l.line_limit_kmh.set(from, to, static_cast<float>(5 * (1 + b(0) % 51)));
    l.gradient_permille.set(from, to, static_cast<float>(b(1) % 81) - 40);
    l.curve_radius_m.set(from, to, radii[b(2) % 8]);
  }
  l.points = {{1, "A", 0, 3600, 0, true},
              {2, "B", end / 2, 3600 + 600, 30, true},
              {3, "C", end, 3600 + 1200, 0, true}};
  return l;
}

// The lowest limit under the train as its head moves on: whole metres
// from its tail's metre to its head's, both of which only grow.
class lowest_under {
 public:
  explicit lowest_under(const std::vector<float>& limit) : limit_(limit) {}
  double at(double x, double length) {
    const auto last = static_cast<int64_t>(limit_.size()) - 1;
    const int64_t head =
        std::clamp<int64_t>(std::llround(std::floor(x)), 0, last);
    const int64_t tail =
        std::clamp<int64_t>(std::llround(std::floor(x - length)), 0, last);
    for (; next_ <= head; ++next_) {
      const float v = limit_[static_cast<size_t>(next_)];
      while (!window_.empty() && limit_[window_.back()] >= v) {
        window_.pop_back();
      }
      window_.push_back(static_cast<size_t>(next_));
    }
    while (static_cast<int64_t>(window_.front()) < tail) window_.pop_front();
    return limit_[window_.front()];
  }

 private:
  const std::vector<float>& limit_;
  std::deque<size_t> window_;  // metres whose limits rise from the front
  int64_t next_ = 0;
};

std::string check_run(const running_line& l, const running_parameters& p,
                      const running_result& r) {
  const train_parameters& t = p.train;
  std::vector<float> limit(l.metres());
  for (size_t x = 0; x < l.metres(); ++x) {
    const auto m = static_cast<int64_t>(x);
    limit[x] = l.line_limit_kmh.at(m);
    const float radius = l.curve_radius_m.at(m);
    if (radius > 0) {
      limit[x] = std::min(
          limit[x], static_cast<float>(t.curves().limit_ms(radius) * 3.6));
    }
  }
  lowest_under lowest(limit);
  for (size_t k = 0; k < r.nodes(); ++k) {
    const double v = r.speed_ms[k], time = r.time_s[k];
    if (!std::isfinite(v) || v < 0 || !std::isfinite(time) ||
        !std::isfinite(r.margin_time_s[k])) {
      return "a profile value is not finite at node " + std::to_string(k);
    }
    if (k > 0 && (time < r.time_s[k - 1] ||
                  r.margin_time_s[k] < r.margin_time_s[k - 1])) {
      return "time runs back at node " + std::to_string(k);
    }
    const double allowed = std::min(
        lowest.at(r.position(k), t.length_m()) / 3.6, t.max_speed_ms());
    if (v > allowed * (1 + 1e-6) + 1e-9) {
      return "speed " + std::to_string(v) + " m/s above " +
             std::to_string(allowed) + " at " + std::to_string(r.position(k));
    }
  }
  for (const leg& g : r.legs) {
    if (std::isfinite(g.fastest_s) ? g.fastest_s < 0 : !r.stand_m) {
      return "a leg's fastest time is unusable without a stand";
    }
  }
  return {};
}

bool same_bits(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

bool same_node(const run_node& a, const run_node& b) {
  return a.k == b.k && same_bits(a.position_m, b.position_m) &&
         std::bit_cast<uint32_t>(a.permitted_kmh) ==
             std::bit_cast<uint32_t>(b.permitted_kmh) &&
         same_bits(a.speed_ms, b.speed_ms) && same_bits(a.time_s, b.time_s) &&
         same_bits(a.margin_time_s, b.margin_time_s);
}

// The run that keeps no node's values gives the same legs, stand and
// profile rows, to the bit, as the run that keeps them all.
std::string check_kept_nothing(const running_line& l,
                               const running_parameters& p,
                               const running_result& r,
                               std::vector<run_node>& rows) {
  profile_sampler sampled(r.step_m);
  const running_result legs = run_legs(
      l, p, r.step_m, [&sampled](const run_node& n) { sampled.take(n); });
  rows = profile_rows(r);
  const std::vector<run_node> taken = sampled.rows();
  if (legs.nodes() != 0 || legs.legs.size() != r.legs.size() ||
      legs.stand_m != r.stand_m || legs.point_node != r.point_node ||
      taken.size() != rows.size()) {
    return "the run without node values differs in shape";
  }
  for (size_t i = 0; i < r.legs.size(); ++i) {
    const leg &a = legs.legs[i], &b = r.legs[i];
    if (!same_bits(a.fastest_s, b.fastest_s) ||
        !same_bits(a.with_margin_s, b.with_margin_s) || a.judged != b.judged) {
      return "the run without node values times leg " + std::to_string(i) +
             " otherwise";
    }
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!same_node(taken[i], rows[i])) {
      return "the profile row of node " + std::to_string(rows[i].k) +
             " differs when sampled during the run";
    }
  }
  return {};
}

// The profile rows are checked node by node above; the JSON and CSV forms
// here print the first and the last of them with everything else, since
// rendering thousands of rows under the sanitizers cost most of each run.
std::string check_outputs(const running_line& l, const running_parameters& p,
                          const running_result& r,
                          const std::vector<run_node>& all_rows) {
  const timing_context c{"route", "train", "fuzz"};
  std::vector<run_node> rows;
  if (!all_rows.empty()) rows = {all_rows.front(), all_rows.back()};
  for (const std::string& out :
       {format_timing_text(c, l, p, r, translator()),
        format_timing_text(c, l, p, r, translator::for_locale("it")),
        format_timing_json(c, l, p, r, rows, translator()),
        format_timing_csv(c, l, p, r, rows)}) {
    for (const char* bad : {"nan", "inf", "NaN", "Inf"}) {
      if (out.find(bad) != std::string::npos) {
        return std::string("an output prints ") + bad;
      }
    }
  }
  return {};
}

}  // namespace

std::string timing_target(std::string_view input) {
  const split_input parts = split_at_nul(input);
  running_parameters p;
  std::string why;
  if (!apply_json_overrides(parts.first, p, translator(), &why)) {
    return why.empty() ? "refused values left no reason" : "";
  }
  const running_line l = line_of(parts.second.value_or(""));
  const running_result r = run_fastest(l, p);
  std::vector<run_node> rows;
  std::string broken = check_run(l, p, r);
  if (broken.empty()) broken = check_kept_nothing(l, p, r, rows);
  if (broken.empty()) broken = check_outputs(l, p, r, rows);
  return broken;
}

}  // namespace scenario::fuzz
