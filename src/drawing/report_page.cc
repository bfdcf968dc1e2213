#include "drawing/report_page.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string_view>
#include <vector>

#include "drawing/markup.h"
#include "drawing/scene.h"
#include "model/kilometres.h"

namespace scenario::drawing {
namespace {

constexpr double font = 11;
// Width of a label of `chars` characters; capitals are wide.
double label_width(std::string_view utf8, double size = font) {
  size_t chars = 0;
  for (char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++chars;
  }
  return static_cast<double>(chars) * size * 0.66;
}

std::string km_label(int64_t m) { return format_km(m); }

// Labels along one axis, in increasing order, over a few staggered rows: a
// label takes the first row where it clears the previous one, and is thinned
// out (left undrawn) when no row has room.
class label_rows {
 public:
  explicit label_rows(int max_rows, double gap = 4)
      : max_rows_(max_rows), gap_(gap) {}
  int place(double x0, double x1) {
    for (size_t r = 0; r < ends_.size(); ++r) {
      if (x0 >= ends_[r] + gap_) {
        ends_[r] = x1;
        return static_cast<int>(r);
      }
    }
    if (static_cast<int>(ends_.size()) < max_rows_) {
      ends_.push_back(x1);
      return static_cast<int>(ends_.size()) - 1;
    }
    return -1;
  }
  int rows_used() const { return static_cast<int>(ends_.size()); }

 private:
  int max_rows_;
  double gap_;
  std::vector<double> ends_;
};

// Labels in the plane: a label is drawn only where it overlaps none drawn
// before it.
class label_boxes {
 public:
  bool place(double x0, double y0, double x1, double y1) {
    for (const box& b : boxes_) {
      if (x0 < b.x1 && b.x0 < x1 && y0 < b.y1 && b.y0 < y1) return false;
    }
    boxes_.push_back({x0, y0, x1, y1});
    return true;
  }
  // Room that no label may take (a mark), whatever lies there already.
  void reserve(double x0, double y0, double x1, double y1) {
    boxes_.push_back({x0, y0, x1, y1});
  }

 private:
  struct box {
    double x0, y0, x1, y1;
  };
  std::vector<box> boxes_;
};

struct xy {
  double x = 0;
  double y = 0;
};

// A polyline through `pts` (sorted by x) at the drawing's resolution: when
// there are more points than the plotting area has columns, each column
// keeps its first, lowest, highest and last point, in their order.
std::string reduced_path(const std::vector<xy>& pts, double columns) {
  std::string d;
  auto add = [&](const xy& p) {
    d += d.empty() ? "M" : "L";
    d += coordinate(p.x);
    d += ' ';
    d += coordinate(p.y);
  };
  if (static_cast<double>(pts.size()) <= 2 * columns) {
    for (const xy& p : pts) add(p);
    return d;
  }
  size_t i = 0;
  while (i < pts.size()) {
    const double column = std::floor(pts[i].x);
    size_t j = i, lo = i, hi = i;
    while (j < pts.size() && std::floor(pts[j].x) == column) {
      if (pts[j].y < pts[lo].y) lo = j;
      if (pts[j].y > pts[hi].y) hi = j;
      ++j;
    }
    std::vector<size_t> keep = {i, std::min(lo, hi), std::max(lo, hi), j - 1};
    keep.erase(std::unique(keep.begin(), keep.end()), keep.end());
    for (size_t k : keep) add(pts[k]);
    i = j;
  }
  return d;
}

// A round step for axis ticks: the smallest of 1, 2, 5 x 10^n not below
// `at_least`.
double nice_step(double at_least) {
  if (at_least <= 0) return 1;
  const double p = std::pow(10, std::floor(std::log10(at_least)));
  for (double f : {1.0, 2.0, 5.0, 10.0}) {
    if (f * p >= at_least) return f * p;
  }
  return 10 * p;
}

std::string signed_per_mille(int g) {
  return (g > 0   ? "+"
          : g < 0 ? "\u2212"
                  : "") +
         std::to_string(std::abs(g)) + "\u2030";
}

// ---------------------------------------------------------------- profile

class profile_drawing {
 public:
  profile_drawing(const scene& s, markup& out) : s_(s), out_(out) {
    extent_ = std::max<int64_t>(s.extent_m, 1);
    for (const station& st : s.stations) {
      extent_ = std::max(extent_, st.zone_end_m);
    }
  }

  void draw(bool problems_only = false) {
    double y = 8;
    const double top = y;
    if (!problems_only) {
      y = elevation(y);
      y = speed(y);
      y = slowdowns(y);
      y = tunnels(y);
      y = signals(y);
      y = stations(y);
    }
    y = problems(y);
    const double bottom = y;
    if (!problems_only) y = axis(top, bottom);
    out_.open("svg")
        .attr("xmlns", "http://www.w3.org/2000/svg")
        .attr("id", "profile")
        .attr("class", "profile")
        .attr("viewBox",
              "0 0 " + coordinate(drawing_width) + " " + coordinate(y + 4))
        .attr("role", "img")
        .attr("aria-label", "profiles along the line");
    out_.raw(grid_.str());
    out_.raw(out_body_.str());
    out_.close("svg");
  }

 private:
  static constexpr double left = 96;
  static constexpr double right = 16;
  double plot_width() const { return drawing_width - left - right; }
  double x_of(int64_t m) const {
    return left +
           static_cast<double>(m) * plot_width() / static_cast<double>(extent_);
  }

  markup& g() { return out_body_; }

  // Centre of a label of width `w` centred at `x`, moved inside the plot.
  double inside(double x, double w) const {
    return std::clamp(x, left + w / 2, left + plot_width() - w / 2);
  }

  void strip_title(double y, double h, std::string_view title,
                   std::string_view unit = {}) {
    g().open("rect")
        .attr("class", "strip")
        .attr("x", left)
        .attr("y", y)
        .attr("width", plot_width())
        .attr("height", h)
        .end_empty();
    g().open("text")
        .attr("class", "strip-title")
        .attr("x", 8)
        .attr("y", y + 14)
        .text(title)
        .close("text");
    if (!unit.empty()) {
      g().open("text")
          .attr("class", "unit")
          .attr("x", 8)
          .attr("y", y + 27)
          .text(unit)
          .close("text");
    }
  }

  void label(double x, double y, std::string_view text, std::string_view cls,
             std::string_view anchor = "middle") {
    g().open("text")
        .attr("class", cls)
        .attr("x", x)
        .attr("y", y)
        .attr("text-anchor", anchor)
        .text(text)
        .close("text");
  }

  void title(std::string_view text) {
    g().open("title").text(text).close("title");
  }

  // Elevation integrated from the gradients, with the gradient of every
  // stretch wide enough to carry its value.
  double elevation(double y) {
    const double h = 120, pad_top = 26, pad_bottom = 10;
    strip_title(y, h, "Elevation", "m");
    const auto& e = s_.elevation_m;
    double lo = 0, hi = 0;
    for (double v : e) {
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    if (hi - lo < 10) {
      const double mid = (hi + lo) / 2;
      lo = mid - 5;
      hi = mid + 5;
    }
    const double y0 = y + pad_top, y1 = y + h - pad_bottom;
    auto y_of = [&](double v) { return y1 - (v - lo) / (hi - lo) * (y1 - y0); };
    std::vector<xy> pts;
    pts.reserve(e.size());
    for (size_t i = 0; i < e.size(); ++i) {
      pts.push_back(
          {x_of(static_cast<int64_t>(i) * cell_length_m), y_of(e[i])});
    }
    if (!pts.empty()) {
      const std::string line = reduced_path(pts, plot_width());
      g().open("path")
          .attr("class", "elevation-area")
          .attr("d", line + "L" + coordinate(pts.back().x) + " " +
                         coordinate(y1) + "L" + coordinate(pts.front().x) +
                         " " + coordinate(y1) + "Z")
          .end_empty();
      g().open("path").attr("class", "elevation").attr("d", line).end_empty();
    }
    label(left - 4, y0 + 4, coordinate(hi) + " m", "tick-label", "end");
    label(left - 4, y1, coordinate(lo) + " m", "tick-label", "end");
    // Gradient values over their stretches, where they fit.
    for (const layer_run& r : s_.gradient) {
      const std::string t = signed_per_mille(r.value);
      const double x0 = x_of(r.start_m), x1 = x_of(r.end_m);
      if (x1 - x0 < label_width(t, 9) + 4) continue;
      g().open("text")
          .attr("class", "gradient-label")
          .attr("x", (x0 + x1) / 2)
          .attr("y", y + 13)
          .attr("text-anchor", "middle")
          .text(t);
      title("gradient " + t + " from " + km_label(r.start_m) + " to " +
            km_label(r.end_m));
      g().close("text");
      g().open("line")
          .attr("class", "gradient-edge")
          .attr("x1", x0)
          .attr("x2", x0)
          .attr("y1", y + 2)
          .attr("y2", y + 16)
          .end_empty();
    }
    return y + h + 6;
  }

  // The speed limit in force as a step line, with the speed boards on top
  // and the speed points at their speed.
  double speed(double y) {
    const double h = 150, pad_top = 30, pad_bottom = 8;
    strip_title(y, h, "Speed limit", "km/h");
    int top_speed = 0;
    for (const layer_run& r : s_.speed_limit) {
      top_speed = std::max(top_speed, r.value);
    }
    for (const speed_point& p : s_.speed_points) {
      if (p.speed_kmh) top_speed = std::max(top_speed, *p.speed_kmh);
    }
    const double step = nice_step(std::max(top_speed, 20) / 4.0);
    const double hi = std::max(step, std::ceil(top_speed / step) * step);
    const double y0 = y + pad_top, y1 = y + h - pad_bottom;
    auto y_of = [&](double v) {
      return y1 - std::clamp(v, 0.0, hi) / hi * (y1 - y0);
    };
    for (double v = 0; v <= hi + 1e-9; v += step) {
      g().open("line")
          .attr("class", "hgrid")
          .attr("x1", left)
          .attr("x2", left + plot_width())
          .attr("y1", y_of(v))
          .attr("y2", y_of(v))
          .end_empty();
      label(left - 4, y_of(v) + 4, coordinate(v), "tick-label", "end");
    }
    std::vector<xy> pts;
    for (const layer_run& r : s_.speed_limit) {
      pts.push_back({x_of(r.start_m), y_of(r.value)});
      pts.push_back({x_of(r.end_m), y_of(r.value)});
    }
    if (!pts.empty()) {
      g().open("path")
          .attr("class", "speed-limit")
          .attr("d", reduced_path(pts, plot_width()))
          .end_empty();
    }
    // Speed boards along the top of the strip.
    label_rows rows(1);
    for (const speed_board& b : s_.speed_boards) {
      const double x = x_of(b.position_m);
      g().open("path")
          .attr("class", "speed-board")
          .attr("d", "M" + coordinate(x - 4) + " " + coordinate(y + 17) +
                         "h8l-4 7z");
      title("speed board at " + km_label(b.position_m) + ": " + b.speeds +
            " km/h" +
            (b.stripes ? ", stripes " + std::to_string(b.stripes) : ""));
      g().close("path");
      const double w = label_width(b.speeds, 9);
      const double c = inside(x, w);
      if (rows.place(c - w / 2, c + w / 2) == 0) {
        label(c, y + 14, b.speeds, "board-label");
      }
    }
    // Speed points at their speed (those without one on the base line).
    label_rows point_rows(1);
    for (const speed_point& p : s_.speed_points) {
      const double x = x_of(p.position_m);
      const double py = p.speed_kmh ? y_of(*p.speed_kmh) : y1;
      g().open("path")
          .attr("class", p.speed_kmh ? "speed-point" : "speed-point empty")
          .attr("d", "M" + coordinate(x) + " " + coordinate(py - 5) +
                         "l4 5l-4 5l-4-5z");
      title("speed point at " + km_label(p.position_m) + ": " +
            (p.speed_kmh ? std::to_string(*p.speed_kmh) + " km/h"
                         : std::string("without a speed")));
      g().close("path");
      if (p.speed_kmh) {
        const std::string t = std::to_string(*p.speed_kmh);
        const double w = label_width(t, 9);
        if (point_rows.place(x + 5, x + 5 + w) == 0) {
          label(x + 5, py - 5, t, "point-label", "start");
        }
      }
    }
    return y + h + 6;
  }

  double slowdowns(double y) {
    const double h = 40;
    strip_title(y, h, "Slowdowns", "km/h");
    label_rows rows(1);
    for (const slowdown& d : s_.slowdowns) {
      const double xs = x_of(d.start_m);
      const double xe = std::max(x_of(d.end_m), xs + 2);
      g().open("g").attr("class", "slowdown");
      title("slowdown " + std::to_string(d.speed_kmh) + " km/h" +
            (d.second_speed_kmh
                 ? " (second speed " + std::to_string(d.second_speed_kmh) + ")"
                 : std::string()) +
            (d.warning_m ? ", warning at " + km_label(*d.warning_m) : "") +
            ", from " + km_label(d.start_m) + " to " + km_label(d.end_m));
      if (d.warning_m) {
        const double xw = x_of(*d.warning_m);
        g().open("line")
            .attr("class", "slowdown-approach")
            .attr("x1", xw)
            .attr("x2", xs)
            .attr("y1", y + 26)
            .attr("y2", y + 26)
            .end_empty();
        g().open("path")
            .attr("class", "slowdown-warning")
            .attr("d",
                  "M" + coordinate(xw) + " " + coordinate(y + 20) + "l5 9h-10z")
            .end_empty();
      }
      g().open("rect")
          .attr("class", "slowdown-bar")
          .attr("x", xs)
          .attr("y", y + 20)
          .attr("width", xe - xs)
          .attr("height", 12)
          .end_empty();
      g().close("g");
      const std::string t = std::to_string(d.speed_kmh);
      const double w = label_width(t, 9);
      if (rows.place(xs, xs + w) == 0)
        label(xs, y + 15, t, "slowdown-label", "start");
    }
    return y + h + 6;
  }

  double tunnels(double y) {
    // Names below the bars, staggered over up to three rows.
    label_rows rows(3);
    std::vector<int> row_of;
    std::vector<double> centre;
    for (const tunnel& t : s_.tunnels) {
      const double w = label_width(t.name, 9);
      const double x = inside((x_of(t.start_m) + x_of(t.end_m)) / 2, w);
      centre.push_back(x);
      row_of.push_back(t.name.empty() ? -1 : rows.place(x - w / 2, x + w / 2));
    }
    const double h = 30 + 11 * rows.rows_used();
    strip_title(y, h, "Tunnels");
    for (size_t i = 0; i < s_.tunnels.size(); ++i) {
      const tunnel& t = s_.tunnels[i];
      const double xs = x_of(t.start_m);
      const double xe = std::max(x_of(t.end_m), xs + 1.5);
      g().open("rect")
          .attr("class", "tunnel tunnel-kind-" + std::to_string(t.kind))
          .attr("x", xs)
          .attr("y", y + 8)
          .attr("width", xe - xs)
          .attr("height", 12);
      title("tunnel " + (t.name.empty() ? std::string() : t.name + " ") +
            "from " + km_label(t.start_m) + " to " + km_label(t.end_m) + " (" +
            std::to_string(t.end_m - t.start_m) + " m, kind " +
            std::to_string(t.kind) + ")");
      g().close("rect");
      if (row_of[i] >= 0) {
        label(centre[i], y + 31 + 11 * row_of[i], t.name, "tunnel-label");
      }
    }
    return y + h + 6;
  }

  double signals(double y) {
    const double h = 36;
    strip_title(y, h, "Signals", "left kind");
    label_rows rows(1, 2);
    for (const signal_mark& s : s_.signals) {
      const double x = x_of(s.position_m);
      g().open("line")
          .attr("class", "signal")
          .attr("x1", x)
          .attr("x2", x)
          .attr("y1", y + 6)
          .attr("y2", y + 20);
      title("signal at " + km_label(s.position_m) + ": left kind " +
            std::to_string(s.left_kind) + ", right kind " +
            std::to_string(s.right_kind) + ", values " + s.aspects +
            (s.rapp ? ", code " + std::to_string(s.rapp) : ""));
      g().close("line");
      const std::string t = std::to_string(s.left_kind);
      const double w = label_width(t, 9);
      const double c = inside(x, w);
      if (rows.place(c - w / 2, c + w / 2) == 0) {
        label(c, y + 31, t, "signal-label");
      }
    }
    return y + h + 6;
  }

  double stations(double y) {
    // Every name gets a row when eight rows can hold them; beyond that the
    // crowded ones are thinned out (the timetable lists them all).
    label_rows rows(8, 6);
    std::vector<int> row_of;
    std::vector<double> centre;
    for (const station& st : s_.stations) {
      const double w = label_width(st.name);
      const double x = inside(x_of(st.position_m), w);
      centre.push_back(x);
      row_of.push_back(rows.place(x - w / 2, x + w / 2));
    }
    const double h = 28 + 13 * std::max(1, rows.rows_used());
    strip_title(y, h, "Stations");
    for (size_t i = 0; i < s_.stations.size(); ++i) {
      const station& st = s_.stations[i];
      const double xs = x_of(st.zone_start_m), xe = x_of(st.zone_end_m);
      const double x = x_of(st.position_m);
      g().open("g").attr("class", st.stops ? "station stop" : "station pass");
      title(st.name + " at " + km_label(st.position_m) + ", zone " +
            km_label(st.zone_start_m) + " to " + km_label(st.zone_end_m) +
            ", kind " + std::to_string(st.kind) +
            (st.stops ? ", stop at " + format_time_of_day(st.time_s)
                      : std::string(", passed")));
      g().open("rect")
          .attr("class", "station-zone")
          .attr("x", std::min(xs, xe))
          .attr("y", y + 6)
          .attr("width", std::max(std::abs(xe - xs), 1.0))
          .attr("height", 14)
          .end_empty();
      g().open("line")
          .attr("class", "station-position")
          .attr("x1", x)
          .attr("x2", x)
          .attr("y1", y + 4)
          .attr("y2", y + 22)
          .end_empty();
      g().close("g");
      if (row_of[i] >= 0) {
        label(centre[i], y + 34 + 13 * row_of[i], st.name,
              st.stops ? "station-label stop" : "station-label");
      }
    }
    return y + h + 6;
  }

  // Codes with a position stand at it (at the edge, pointing out, when it
  // lies beyond the drawing); codes without one in a row of their own.
  double problems(double y) {
    bool unplaced = false;
    for (const problem& p : s_.problems) unplaced = unplaced || !p.position_m;
    const double h = unplaced ? 66 : 36;
    strip_title(y, h, "Problems", "recorded codes");
    if (unplaced) {
      label(left + 6, y + 54, "without a position:", "unit", "start");
    }
    double next_unplaced = left + 6 + label_width("without a position:") + 12;
    for (const problem& p : s_.problems) {
      double x, top = y + 5;
      std::string shape = "l7 13h-14z";  // a warning triangle
      if (p.position_m) {
        x = x_of(*p.position_m);
        if (x > left + plot_width()) {
          x = left + plot_width() - 10;
          shape = "l8 7l-8 7z";  // pointing on, past the end
        } else if (x < left) {
          x = left + 8;
          shape = "l-8 7l8 7z";
        }
      } else {
        x = next_unplaced;
        next_unplaced += 22;
        top = y + 38;
      }
      g().open("g")
          .attr("class", "problem-marker")
          .attr("data-code", std::to_string(p.code));
      title("error " + std::to_string(p.code) + ": " + p.meaning +
            (p.position_m ? " at " + km_label(*p.position_m)
                          : std::string(" (no position)")) +
            (p.file.empty()
                 ? std::string()
                 : " (" + p.file +
                       (p.line ? ":" + std::to_string(p.line) : "") + ")"));
      g().open("path")
          .attr("d", "M" + coordinate(x) + " " + coordinate(top) + shape)
          .end_empty();
      g().open("text")
          .attr("x", x)
          .attr("y", top + 25)
          .attr("text-anchor", "middle")
          .text(std::to_string(p.code))
          .close("text");
      g().close("g");
    }
    if (s_.problems.empty()) {
      label(left + 8, y + 22, "no recorded code", "none-label", "start");
    }
    return y + h + 6;
  }

  // The kilometre axis under the strips, its grid through all of them, and
  // the end of the line.
  double axis(double top, double bottom) {
    const double per_px = static_cast<double>(extent_) / plot_width();
    const double step = nice_step(per_px * 64);
    for (double m = 0; m <= static_cast<double>(extent_) + 1e-6; m += step) {
      const double x = x_of(static_cast<int64_t>(m));
      grid_.open("line")
          .attr("class", "vgrid")
          .attr("x1", x)
          .attr("x2", x)
          .attr("y1", top)
          .attr("y2", bottom)
          .end_empty();
      g().open("line")
          .attr("class", "axis-tick")
          .attr("x1", x)
          .attr("x2", x)
          .attr("y1", bottom)
          .attr("y2", bottom + 5)
          .end_empty();
      const std::string t = km_label(static_cast<int64_t>(m));
      label(std::min(x, drawing_width - label_width(t, 10) / 2 - 2),
            bottom + 17, t, "axis-label");
    }
    label(8, bottom + 17, "km", "axis-label", "start");
    if (s_.line_length_m > 0 && s_.line_length_m <= extent_) {
      const double x = x_of(s_.line_length_m);
      g().open("line")
          .attr("class", "line-end")
          .attr("x1", x)
          .attr("x2", x)
          .attr("y1", top)
          .attr("y2", bottom);
      title("end of the line, " + km_label(s_.line_length_m));
      g().close("line");
    }
    return bottom + 22;
  }

  const scene& s_;
  markup& out_;
  markup out_body_;
  markup grid_;
  int64_t extent_ = 1;
};

// ------------------------------------------------------------------- plan

class plan_drawing {
 public:
  plan_drawing(const scenario_model& m, const scene& s, markup& out)
      : m_(m), s_(s), out_(out) {}

  // Returns false when there is no plan to draw.
  bool draw() {
    const tracciato_t& plan = m_.tracciato;
    int64_t count = 0;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    while (count < plan.size()) {
      const auto p = plan_point_at(plan, count);
      if (!p) break;
      xmin = std::min(xmin, p->x);
      xmax = std::max(xmax, p->x);
      ymin = std::min(ymin, p->y);
      ymax = std::max(ymax, p->y);
      ++count;
    }
    if (count < 2) return false;
    last_metre_ = count - 1;
    const double pad = 48, avail_w = drawing_width - 2 * pad, max_h = 720;
    const double bw = std::max(xmax - xmin, 1e-9),
                 bh = std::max(ymax - ymin, 1e-9);
    scale_ = std::min(avail_w / bw, max_h / bh);
    const double height = bh * scale_ + 2 * pad;
    ox_ = pad + (avail_w - bw * scale_) / 2 - xmin * scale_;
    oy_ = pad + ymax * scale_;
    tolerance_m_ = plan_tolerance_units / scale_;
    const std::vector<plan_point> pts = simplified_plan(plan, tolerance_m_);
    drawn_points_ = pts.size();
    total_points_ = static_cast<size_t>(count);

    out_.open("svg")
        .attr("xmlns", "http://www.w3.org/2000/svg")
        .attr("id", "plan")
        .attr("class", "plan")
        .attr("viewBox",
              "0 0 " + coordinate(drawing_width) + " " + coordinate(height))
        .attr("role", "img")
        .attr("aria-label", "plan of the line");
    const int64_t end = std::clamp<int64_t>(s_.line_length_m, 0, last_metre_);
    std::vector<xy> screen;
    screen.reserve(pts.size());
    for (const plan_point& p : pts) screen.push_back(to_screen(p));
    out_.open("path")
        .attr("class", "plan-line")
        .attr("d", path_of(screen))
        .end_empty();
    // Labels claim their room by importance, after the marks they must not
    // cover: the ends, the stations, then the kilometre ticks.
    for (const station& st : s_.stations) {
      if (const auto p = at(st.position_m)) {
        labels_.reserve(p->x - 5, p->y - 5, p->x + 5, p->y + 5);
      }
    }
    draw_tunnels();
    draw_ends(end);
    draw_stations();
    draw_ticks();
    out_.close("svg");
    return true;
  }

  double tolerance_m() const { return tolerance_m_; }
  size_t drawn_points() const { return drawn_points_; }
  size_t total_points() const { return total_points_; }

 private:
  xy to_screen(const plan_point& p) const {
    return {ox_ + p.x * scale_, oy_ - p.y * scale_};
  }
  std::optional<xy> at(int64_t metre) const {
    const auto p =
        plan_point_at(m_.tracciato, std::clamp<int64_t>(metre, 0, last_metre_));
    if (!p) return std::nullopt;
    return to_screen(*p);
  }
  static std::string path_of(const std::vector<xy>& pts) {
    std::string d;
    for (const xy& p : pts) {
      d += d.empty() ? "M" : "L";
      d += coordinate(p.x);
      d += ' ';
      d += coordinate(p.y);
    }
    return d;
  }

  // A stretch of the plan sampled at the drawing's resolution.
  std::vector<xy> stretch(int64_t from, int64_t to) const {
    std::vector<xy> pts;
    const int64_t step =
        std::max<int64_t>(1, static_cast<int64_t>(tolerance_m_ * 4));
    for (int64_t m = from; m < to; m += step) {
      if (auto p = at(m)) pts.push_back(*p);
    }
    if (auto p = at(to)) pts.push_back(*p);
    return pts;
  }

  void draw_tunnels() {
    for (const tunnel& t : s_.tunnels) {
      std::vector<xy> pts = stretch(t.start_m, t.end_m);
      if (pts.size() == 1) pts.push_back({pts[0].x + 0.5, pts[0].y});
      const std::string d = path_of(pts);
      out_.open("g").attr("class", "plan-tunnel");
      out_.open("title")
          .text("tunnel " + (t.name.empty() ? std::string() : t.name + " ") +
                km_label(t.start_m) + " to " + km_label(t.end_m))
          .close("title");
      out_.open("path")
          .attr("class", "plan-tunnel-body")
          .attr("d", d)
          .end_empty();
      out_.open("path")
          .attr("class", "plan-tunnel-core")
          .attr("d", d)
          .end_empty();
      out_.close("g");
    }
  }

  void draw_ticks() {
    const double path_px = static_cast<double>(last_metre_) * scale_;
    if (path_px <= 0) return;
    const double step = nice_step(60 / scale_);
    for (double m = step; m < static_cast<double>(last_metre_); m += step) {
      const auto p = at(static_cast<int64_t>(m));
      if (!p) continue;
      out_.open("circle")
          .attr("class", "plan-tick")
          .attr("cx", p->x)
          .attr("cy", p->y)
          .attr("r", 2)
          .end_empty();
      const std::string t = km_label(static_cast<int64_t>(m));
      const double w = label_width(t, 9);
      // Right of the tick, else left of it.
      for (const double x0 : {p->x + 5, p->x - 5 - w}) {
        if (labels_.place(x0, p->y - 9, x0 + w, p->y + 2)) {
          out_.open("text")
              .attr("class", "plan-tick-label")
              .attr("x", x0)
              .attr("y", p->y)
              .text(t)
              .close("text");
          break;
        }
      }
    }
  }

  void draw_stations() {
    for (const station& st : s_.stations) {
      const auto p = at(st.position_m);
      if (!p) continue;
      out_.open("g").attr("class",
                          st.stops ? "plan-station stop" : "plan-station pass");
      out_.open("title")
          .text(st.name + " " + km_label(st.position_m))
          .close("title");
      out_.open("circle")
          .attr("cx", p->x)
          .attr("cy", p->y)
          .attr("r", st.stops ? 5 : 3.5)
          .end_empty();
      out_.close("g");
      // Try right, left, above and below the mark.
      const double w = label_width(st.name), hgt = 12;
      const xy offsets[4] = {{8, 4}, {-8 - w, 4}, {-w / 2, -8}, {-w / 2, 16}};
      for (const xy& o : offsets) {
        const double x0 = p->x + o.x, y0 = p->y + o.y - hgt + 2;
        if (labels_.place(x0, y0, x0 + w, y0 + hgt)) {
          out_.open("text")
              .attr("class",
                    st.stops ? "plan-station-label stop" : "plan-station-label")
              .attr("x", x0)
              .attr("y", p->y + o.y)
              .text(st.name)
              .close("text");
          break;
        }
      }
    }
  }

  void draw_ends(int64_t end) {
    if (auto p = at(0)) {
      out_.open("circle")
          .attr("class", "plan-start")
          .attr("cx", p->x)
          .attr("cy", p->y)
          .attr("r", 7)
          .end_empty();
      labels_.place(p->x - 12 - label_width("start 0+000"), p->y - 8, p->x + 8,
                    p->y + 8);
      out_.open("text")
          .attr("class", "plan-end-label")
          .attr("x", p->x - 12)
          .attr("y", p->y + 4)
          .attr("text-anchor", "end")
          .text("start 0+000")
          .close("text");
    }
    if (auto p = at(end)) {
      out_.open("rect")
          .attr("class", "plan-end")
          .attr("x", p->x - 6)
          .attr("y", p->y - 6)
          .attr("width", 12)
          .attr("height", 12)
          .end_empty();
      labels_.reserve(p->x - 8, p->y - 8,
                      p->x + 12 + label_width("end " + km_label(end)),
                      p->y + 8);
      out_.open("text")
          .attr("class", "plan-end-label")
          .attr("x", p->x + 12)
          .attr("y", p->y + 4)
          .text("end " + km_label(end))
          .close("text");
    }
  }

  const scenario_model& m_;
  const scene& s_;
  markup& out_;
  label_boxes labels_;
  double scale_ = 1, ox_ = 0, oy_ = 0, tolerance_m_ = 1;
  int64_t last_metre_ = 0;
  size_t drawn_points_ = 0, total_points_ = 0;
};

// ------------------------------------------------------------------- page

// The series take the Okabe-Ito colours (orange #E69F00, sky blue #56B4E9,
// bluish green #009E73, blue #0072B2, vermillion #D55E00, reddish purple
// #CC79A7), which readers of every kind of colour vision tell apart.
constexpr std::string_view style_sheet = R"css(
:root { color-scheme: light; }
body { font: 14px/1.4 system-ui, "DejaVu Sans", sans-serif; color: #111;
  background: #fff; margin: 0 auto; max-width: 1240px; padding: 12px 20px; }
h1 { font-size: 22px; margin: 4px 0; }
h2 { font-size: 17px; margin: 22px 0 6px; border-bottom: 1px solid #bbb; }
.source { color: #444; margin: 0 0 8px; }
table { border-collapse: collapse; font-size: 13px; }
th, td { border: 1px solid #ccc; padding: 2px 8px; text-align: left;
  vertical-align: top; }
th { background: #f0f0f0; }
td.num { text-align: right; font-variant-numeric: tabular-nums; }
.facts { display: flex; flex-wrap: wrap; gap: 24px; align-items: flex-start; }
.codes-none { color: #0a6b4f; font-weight: 600; }
.codes { color: #a33f00; font-weight: 600; }
svg { width: 100%; height: auto; display: block; }
svg text { font-family: system-ui, "DejaVu Sans", sans-serif; font-size: 11px; fill: #111; }
.strip { fill: #fafafa; stroke: #999; stroke-width: 0.6; }
.strip-title { font-weight: 700; font-size: 12px; }
.unit { fill: #555; font-size: 10px; }
.vgrid, .hgrid { stroke: #ddd; stroke-width: 0.6; }
.axis-tick { stroke: #333; }
.axis-label, .tick-label { font-size: 10px; fill: #333; }
.line-end { stroke: #000; stroke-width: 1; stroke-dasharray: 5 3; }
.elevation { fill: none; stroke: #009E73; stroke-width: 1.6; }
.elevation-area { fill: #009E73; fill-opacity: 0.18; stroke: none; }
.gradient-label { font-size: 9px; fill: #333; }
.gradient-edge { stroke: #999; stroke-width: 0.6; }
.speed-limit { fill: none; stroke: #0072B2; stroke-width: 1.8; }
.speed-board { fill: #0072B2; }
.board-label, .point-label, .slowdown-label, .signal-label, .tunnel-label { font-size: 9px; }
.speed-point { fill: #000; }
.speed-point.empty { fill: #fff; stroke: #000; }
.slowdown-bar { fill: #E69F00; stroke: #8a5f00; stroke-width: 0.6; }
.slowdown-warning { fill: #fff; stroke: #8a5f00; stroke-width: 1; }
.slowdown-approach { stroke: #8a5f00; stroke-width: 1; stroke-dasharray: 3 2; }
.tunnel { stroke: none; }
.tunnel-kind-1 { fill: #222; }
.tunnel-kind-2 { fill: #666; }
.tunnel-kind-3 { fill: #222; fill-opacity: 0.55; }
.signal { stroke: #CC79A7; stroke-width: 1.6; }
.station-zone { fill: #56B4E9; fill-opacity: 0.45; stroke: #2f7fae; stroke-width: 0.6; }
.station-position { stroke: #0b3d5c; stroke-width: 1.4; }
.station-label.stop, .plan-station-label.stop { font-weight: 700; }
.problem-marker path { fill: #D55E00; stroke: #6b2f00; stroke-width: 0.8; }
.problem-marker text { font-size: 9px; fill: #6b2f00; font-weight: 700; }
.none-label { fill: #0a6b4f; font-size: 11px; }
.plan-line { fill: none; stroke: #333; stroke-width: 1.6; stroke-linejoin: round; }
.plan-tunnel-body { fill: none; stroke: #000; stroke-width: 6; stroke-linecap: butt; }
.plan-tunnel-core { fill: none; stroke: #fff; stroke-width: 1.6; stroke-dasharray: 3 3; }
.plan-tick { fill: #555; }
.plan-tick-label { font-size: 9px; fill: #555; }
.plan-station circle { fill: #56B4E9; stroke: #0b3d5c; stroke-width: 1.2; }
.plan-station.pass circle { fill: #fff; }
.plan-start { fill: #009E73; stroke: #000; }
.plan-end { fill: #000; }
.plan-end-label { font-weight: 700; }
.legend { display: flex; flex-wrap: wrap; gap: 6px 22px; padding: 0; list-style: none; font-size: 13px; }
.legend li { display: flex; align-items: center; gap: 6px; }
.legend svg { width: 34px; height: 16px; display: inline-block; }
.problems tr td:first-child { font-weight: 700; color: #a33f00; }
@media print {
  @page { size: A4 landscape; margin: 10mm; }
  body { max-width: none; padding: 0; font-size: 10pt; }
  * { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
  svg { break-inside: avoid; }
  svg.plan { height: 90mm; width: auto; margin: 0 auto; }
  svg.profile { max-height: 180mm; }
  #profile-section { break-before: page; }
  table { break-inside: auto; }
  tr { break-inside: avoid; }
  h2 { break-after: avoid; }
}
)css";

void fact_row(markup& out, std::string_view name, const std::string& value) {
  out.open("tr").element("th", name).open("td").attr("class", "num");
  out.text(value).close("td").close("tr");
}

void header(markup& out, const scene& s, const page_options& opts) {
  out.open("header");
  out.element("h1", "Route " + s.route + " \u00b7 train " + s.train);
  if (!opts.source.empty()) {
    out.open("p")
        .attr("class", "source")
        .text("Drawn from " + opts.source)
        .close("p");
  }
  out.open("div").attr("class", "facts");
  out.open("table").attr("class", "general");
  out.open("caption").text("Line").close("caption");
  fact_row(out, "line length",
           s.has_cells ? km_label(s.line_length_m) + " (" +
                             std::to_string(s.line_length_m) + " m)"
                       : std::string("no cells"));
  fact_row(out, "drawn up to", km_label(s.extent_m));
  out.close("table");

  int stops = 0;
  for (const station& st : s.stations) stops += st.stops ? 1 : 0;
  int with_speed = 0;
  for (const speed_point& p : s.speed_points) with_speed += p.speed_kmh ? 1 : 0;
  out.open("table").attr("class", "counts");
  out.open("caption").text("Records").close("caption");
  fact_row(out, "stations",
           std::to_string(s.stations.size()) + " (" + std::to_string(stops) +
               " stops, " + std::to_string(s.stations.size() - stops) +
               " passed)");
  fact_row(out, "signals", std::to_string(s.signals.size()));
  fact_row(out, "slowdowns", std::to_string(s.slowdowns.size()));
  fact_row(out, "speed boards", std::to_string(s.speed_boards.size()));
  fact_row(out, "direction boards", std::to_string(s.direction_boards.size()));
  fact_row(out, "tunnels", std::to_string(s.tunnels.size()));
  fact_row(out, "speed points",
           std::to_string(s.speed_points.size()) + " (" +
               std::to_string(s.speed_points.size() - with_speed) +
               " without a speed)");
  fact_row(out, "speed limit stretches", std::to_string(s.speed_limit.size()));
  fact_row(out, "gradient stretches", std::to_string(s.gradient.size()));
  out.close("table");

  out.open("div").attr("class", "recorded");
  out.element("strong", "Recorded codes: ");
  if (s.problems.empty()) {
    out.open("span").attr("class", "codes-none").text("none").close("span");
  } else {
    std::map<int, int> count;
    for (const problem& p : s.problems) ++count[p.code];
    std::string t;
    for (const auto& [code, n] : count) {
      if (!t.empty()) t += ", ";
      t += "error " + std::to_string(code);
      if (n > 1) t += " \u00d7" + std::to_string(n);
    }
    out.open("span").attr("class", "codes").text(t).close("span");
  }
  out.close("div");
  out.close("div");
  out.close("header");
}

void timetable(markup& out, const scene& s) {
  out.open("section").attr("id", "timetable");
  out.element("h2", "Timetable");
  if (s.stations.empty()) {
    out.element("p", "No station.");
    out.close("section");
    return;
  }
  out.open("table").attr("class", "timetable");
  out.open("tr");
  for (const char* h :
       {"#", "station", "km", "zone", "kind", "time", "stop or pass"}) {
    out.element("th", h);
  }
  out.close("tr");
  for (const station& st : s.stations) {
    out.open("tr").attr("class", "timetable-row");
    out.open("td")
        .attr("class", "num")
        .text(std::to_string(st.entry))
        .close("td");
    out.element("td", st.name);
    out.open("td")
        .attr("class", "num")
        .text(km_label(st.position_m))
        .close("td");
    out.element(
        "td", km_label(st.zone_start_m) + " \u2013 " + km_label(st.zone_end_m));
    out.open("td")
        .attr("class", "num")
        .text(std::to_string(st.kind))
        .close("td");
    out.open("td")
        .attr("class", "num")
        .text(st.stops ? format_time_of_day(st.time_s) : "")
        .close("td");
    out.element("td", st.stops ? "stop" : "pass");
    out.close("tr");
  }
  out.close("table");
  out.close("section");
}

void problem_table(markup& out, const scene& s) {
  out.open("section").attr("id", "problems");
  out.element("h2", "Problems");
  if (s.problems.empty()) {
    out.open("p")
        .attr("class", "codes-none")
        .text("The compilation recorded no code.")
        .close("p");
    out.close("section");
    return;
  }
  out.open("table").attr("class", "problems");
  out.open("tr");
  for (const char* h :
       {"code", "meaning", "position", "file", "line", "detail"}) {
    out.element("th", h);
  }
  out.close("tr");
  for (const problem& p : s.problems) {
    out.open("tr").attr("class", "problem-row");
    out.element("td", std::to_string(p.code));
    out.element("td", p.meaning);
    out.open("td")
        .attr("class", "num")
        .text(p.position_m ? km_label(*p.position_m) : std::string("\u2014"))
        .close("td");
    out.element("td", p.file);
    out.open("td")
        .attr("class", "num")
        .text(p.line ? std::to_string(p.line) : "")
        .close("td");
    out.element("td", p.detail);
    out.close("tr");
  }
  out.close("table");
  out.close("section");
}

void legend_item(markup& out, std::string_view swatch, std::string_view text) {
  out.open("li");
  out.raw("<svg viewBox=\"0 0 34 16\" aria-hidden=\"true\">");
  out.raw(swatch);
  out.raw("</svg>");
  out.text(text);
  out.close("li");
}

void legend(markup& out) {
  out.open("section").attr("id", "legend");
  out.element("h2", "Legend");
  out.open("ul").attr("class", "legend");
  legend_item(out,
              "<path d=\"M1 14L12 6L22 10L33 3\" fill=\"none\" "
              "stroke=\"#009E73\" stroke-width=\"2\"/>",
              "elevation (integrated from the gradients, \u2030)");
  legend_item(out,
              "<path d=\"M1 12H14V5H33\" fill=\"none\" stroke=\"#0072B2\" "
              "stroke-width=\"2\"/>",
              "speed limit in force");
  legend_item(out, "<path d=\"M13 3h8l-4 7z\" fill=\"#0072B2\"/>",
              "speed board");
  legend_item(out, "<path d=\"M17 3l4 5l-4 5l-4-5z\" fill=\"#000\"/>",
              "speed point");
  legend_item(
      out,
      "<path d=\"M3 4l5 9h-10z\" fill=\"#fff\" stroke=\"#8a5f00\"/><rect "
      "x=\"16\" y=\"4\" width=\"17\" height=\"9\" fill=\"#E69F00\"/>",
      "slowdown: warning, then start to end");
  legend_item(out,
              "<rect x=\"2\" y=\"4\" width=\"30\" height=\"9\" fill=\"#222\"/>",
              "tunnel");
  legend_item(out,
              "<line x1=\"17\" y1=\"1\" x2=\"17\" y2=\"15\" stroke=\"#CC79A7\" "
              "stroke-width=\"2\"/>",
              "signal");
  legend_item(
      out,
      "<rect x=\"2\" y=\"3\" width=\"30\" height=\"10\" fill=\"#56B4E9\" "
      "fill-opacity=\"0.45\"/><line x1=\"17\" y1=\"1\" x2=\"17\" y2=\"15\" "
      "stroke=\"#0b3d5c\" stroke-width=\"1.5\"/>",
      "station zone and position (bold name: stop)");
  legend_item(out, "<path d=\"M17 2l7 12h-14z\" fill=\"#D55E00\"/>",
              "recorded code");
  legend_item(
      out,
      "<circle cx=\"9\" cy=\"8\" r=\"6\" fill=\"#009E73\" "
      "stroke=\"#000\"/><rect x=\"20\" y=\"2\" width=\"12\" height=\"12\"/>",
      "plan: start, end of the line");
  legend_item(
      out,
      "<path d=\"M1 8H33\" stroke=\"#000\" stroke-width=\"6\"/><path d=\"M1 "
      "8H33\" stroke=\"#fff\" stroke-width=\"1.6\" stroke-dasharray=\"3 3\"/>",
      "plan: tunnel");
  out.close("ul");
  out.close("section");
}

}  // namespace

std::string render_report(const scenario_model& m, const page_options& opts) {
  const scene s = read_scene(m);
  markup out;
  out.raw("<!DOCTYPE html>\n");
  out.open("html").attr("lang", "en");
  out.open("head");
  out.open("meta").attr("charset", "utf-8").end_empty();
  out.open("meta")
      .attr("name", "viewport")
      .attr("content", "width=device-width, initial-scale=1")
      .end_empty();
  out.element("title", "Scenario " + s.route + " \u00b7 " + s.train);
  out.open("style").raw(style_sheet).close("style");
  out.close("head");
  out.open("body");
  header(out, s, opts);

  out.open("section").attr("id", "plan-section");
  out.element("h2", "Plan");
  plan_drawing plan(m, s, out);
  if (plan.draw()) {
    out.open("p")
        .attr("class", "note")
        .text("North up, equal scales. " + std::to_string(plan.drawn_points()) +
              " of " + std::to_string(plan.total_points()) +
              " plan points drawn: no metre of the line lies farther than " +
              coordinate(plan.tolerance_m()) + " m (" +
              coordinate(plan_tolerance_units) +
              " drawing units) from the drawn line.")
        .close("p");
  } else {
    out.element("p", "No plan: the compilation built none.");
  }
  out.close("section");

  out.open("section").attr("id", "profile-section");
  out.element("h2", "Profiles");
  if (s.has_cells) {
    profile_drawing(s, out).draw();
  } else {
    out.element(
        "p",
        "No cells: the compilation ended before the line length was read.");
    // The codes still get their markers, in a strip of their own.
    profile_drawing(s, out).draw(/*problems_only=*/true);
  }
  out.close("section");

  timetable(out, s);
  problem_table(out, s);
  legend(out);
  out.close("body");
  out.close("html");
  out.raw("\n");
  return out.take();
}

}  // namespace scenario::drawing
