// The running-time calculation over any train values: a JSON object of
// values (as --params gives them), then a NUL byte and a small line drawn
// from the bytes that follow (per 200 m: a limit, a gradient, a curve).
// Values are refused, or the run is finite, never faster than the limit
// under the whole train nor the train's top speed, with times that only
// grow, and its outputs print no NaN and no infinity.

#include <algorithm>
#include <cmath>
#include <string>

#include "fuzz/targets.h"
#include "running/running_time.h"
#include "running/timing_report.h"
#include "running/train.h"

namespace scenario::fuzz {
namespace {

constexpr size_t stretch_m = 200;
constexpr size_t most_stretches = 40;

// A line of up to 8 km from the bytes: three per stretch (limit 5 to
// 255 km/h in steps of 5 from the first, gradient -40 to +40 per mille
// from the second, a curve of a class radius from the third, straight
// for most values); stops at both ends and in the middle, with a dwell.
running_line line_of(std::string_view bytes) {
  static constexpr float radii[] = {0, 0, 10000, 5000, 2500, 1000, 500, 333};
  size_t stretches = std::min(bytes.size() / 3, most_stretches);
  const bool given = stretches > 0;
  if (!given) stretches = 10;
  running_line l;
  const size_t metres = stretches * stretch_m + 1;
  l.line_limit_kmh.assign(metres, 100);
  l.slowdown_kmh.assign(metres, 0);
  l.gradient_permille.assign(metres, 0);
  l.curve_radius_m.assign(metres, 0);
  l.curves_known = true;
  for (size_t s = 0; given && s < stretches; ++s) {
    const auto b = [&](size_t i) {
      return static_cast<unsigned char>(bytes[3 * s + i]);
    };
    for (size_t x = s * stretch_m; x < (s + 1) * stretch_m; ++x) {
      l.line_limit_kmh[x] = static_cast<float>(5 * (1 + b(0) % 51));
      l.gradient_permille[x] = static_cast<float>(b(1) % 81) - 40;
      l.curve_radius_m[x] = radii[b(2) % 8];
    }
  }
  const auto end = static_cast<int64_t>(metres - 1);
  l.points = {{1, "A", 0, 3600, 0, true},
              {2, "B", end / 2, 3600 + 600, 30, true},
              {3, "C", end, 3600 + 1200, 0, true}};
  return l;
}

// The lowest limit under the train with its head at `x` (whole metres
// from its tail's metre to its head's), or the top speed.
double lowest_under(const running_line& l, const std::vector<float>& limit,
                    double x, double length) {
  const auto last = static_cast<int64_t>(l.metres()) - 1;
  const int64_t head =
      std::clamp<int64_t>(std::llround(std::floor(x)), 0, last);
  const int64_t tail =
      std::clamp<int64_t>(std::llround(std::floor(x - length)), 0, last);
  double v = INFINITY;
  for (int64_t m = tail; m <= head; ++m) {
    v = std::min<double>(v, limit[static_cast<size_t>(m)]);
  }
  return v;
}

std::string check_run(const running_line& l, const running_parameters& p,
                      const running_result& r) {
  const train_parameters& t = p.train;
  std::vector<float> limit(l.metres());
  for (size_t x = 0; x < l.metres(); ++x) {
    limit[x] = l.line_limit_kmh[x];
    if (l.curve_radius_m[x] > 0) {
      limit[x] = std::min(
          limit[x],
          static_cast<float>(t.curves().limit_ms(l.curve_radius_m[x]) * 3.6));
    }
  }
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
    const double allowed =
        std::min(lowest_under(l, limit, r.position(k), t.length_m()) / 3.6,
                 t.max_speed_ms());
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

std::string check_outputs(const running_line& l, const running_parameters& p,
                          const running_result& r) {
  const timing_context c{"route", "train", "fuzz"};
  for (const std::string& out :
       {format_timing_text(c, l, p, r, translator()),
        format_timing_text(c, l, p, r, translator::for_locale("it")),
        format_timing_json(c, l, p, r, translator()),
        format_timing_csv(c, l, p, r)}) {
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
  if (!apply_json_overrides(parts.first, p, &why)) {
    return why.empty() ? "refused values left no reason" : "";
  }
  const running_line l = line_of(parts.second.value_or(""));
  const running_result r = run_fastest(l, p);
  std::string broken = check_run(l, p, r);
  if (broken.empty()) broken = check_outputs(l, p, r);
  return broken;
}

}  // namespace scenario::fuzz
