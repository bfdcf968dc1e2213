#include "drawing/report_profiles.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

#include "drawing/report_layout.h"
#include "drawing/report_page.h"
#include "model/kilometres.h"

namespace scenario::drawing {
namespace {

// ", stripes left 1 right 2", or nothing for a board without stripes.
std::string stripes_text(const speed_board& b, const translator& tr) {
  if (b.left_stripes == 0 && b.right_stripes == 0) return {};
  return tr.format(", stripes left %d right %d", b.left_stripes,
                   b.right_stripes);
}

class profile_drawing {
 public:
  profile_drawing(const scene& s, markup& out, const running_drawing* run,
                  const translator& tr)
      : s_(s), out_(out), run_(run), tr_(tr) {
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
      if (run_ != nullptr && !run_->result.legs.empty()) {
        const km_axis axis{left, plot_width(), static_cast<double>(extent_)};
        y = draw_speed_distance(*run_, axis, g(), y, tr_);
        y = draw_time_distance(*run_, axis, g(), y, tr_);
      }
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
        .attr("aria-label", tr_("profiles along the line"));
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
    strip_title(y, h, tr_("Elevation"), "m");
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
      title(tr_.format("gradient %s from %s to %s", t, km_label(r.start_m),
                       km_label(r.end_m)));
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
    strip_title(y, h, tr_("Speed limit"), "km/h");
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
      title(tr_.format("speed board at %s: %s km/h", km_label(b.position_m),
                       b.speeds) +
            stripes_text(b, tr_));
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
      title(p.speed_kmh ? tr_.format("speed point at %s: %d km/h",
                                     km_label(p.position_m), *p.speed_kmh)
                        : tr_.format("speed point at %s: without a speed",
                                     km_label(p.position_m)));
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
    strip_title(y, h, tr_("Slowdowns"), "km/h");
    label_rows rows(1);
    for (const slowdown& d : s_.slowdowns) {
      const double xs = x_of(d.start_m);
      const double xe = std::max(x_of(d.end_m), xs + 2);
      g().open("g").attr("class", "slowdown");
      title(tr_.format("slowdown %d km/h", d.speed_kmh) +
            (d.second_speed_kmh
                 ? tr_.format(" (second speed %d)", d.second_speed_kmh)
                 : std::string()) +
            (d.warning_m ? tr_.format(", warning at %s", km_label(*d.warning_m))
                         : std::string()) +
            tr_.format(", from %s to %s", km_label(d.start_m),
                       km_label(d.end_m)));
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
    strip_title(y, h, tr_("Tunnels"));
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
    strip_title(y, h, tr_("Signals"), tr_("left kind"));
    label_rows rows(1, 2);
    for (const signal_mark& s : s_.signals) {
      const double x = x_of(s.position_m);
      g().open("line")
          .attr("class", "signal")
          .attr("x1", x)
          .attr("x2", x)
          .attr("y1", y + 6)
          .attr("y2", y + 20);
      title(tr_.format("signal at %s: left kind %d, right kind %d, values %s",
                       km_label(s.position_m), s.left_kind, s.right_kind,
                       s.aspects) +
            (s.rapp ? tr_.format(", code %d", s.rapp) : std::string()));
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
    strip_title(y, h, tr_("Stations"));
    for (size_t i = 0; i < s_.stations.size(); ++i) {
      const station& st = s_.stations[i];
      const double xs = x_of(st.zone_start_m), xe = x_of(st.zone_end_m);
      const double x = x_of(st.position_m);
      g().open("g").attr("class", st.stops ? "station stop" : "station pass");
      title(tr_.format("%s at %s, zone %s to %s, kind %d", st.name,
                       km_label(st.position_m), km_label(st.zone_start_m),
                       km_label(st.zone_end_m), st.kind) +
            (st.stops ? tr_(", stop") : tr_(", passed")) +
            (st.time_s != 0
                 ? tr_.format(" at %s", format_time_of_day(st.time_s))
                 : std::string()));
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

  // Codes and warnings with a position stand at it (at the edge, pointing
  // out, when it lies beyond the drawing), their labels kept inside the
  // strip on the first of four rows where they do not overlap; those without
  // one in a row of their own.
  double problems(double y) {
    constexpr int label_rows = 4;
    constexpr double row_step = 11;
    bool unplaced = false;
    for (const problem& p : s_.problems) unplaced = unplaced || !p.position_m;
    const double placed_h = 30 + label_rows * row_step;
    const double h = unplaced ? placed_h + 34 : placed_h;
    strip_title(y, h, tr_("Problems"), tr_("codes, warnings"));
    if (unplaced) {
      label(left + 6, y + placed_h + 22, tr_("without a position:"), "unit",
            "start");
    }
    double next_unplaced =
        left + 6 + label_width(tr_("without a position:")) + 12;
    double row_end[label_rows];
    std::fill(std::begin(row_end), std::end(row_end), -1e9);
    // Along the line, so that each label only meets those to its left.
    std::vector<const problem*> order;
    for (const problem& p : s_.problems) order.push_back(&p);
    std::stable_sort(
        order.begin(), order.end(), [](const problem* a, const problem* b) {
          return a->position_m.value_or(0) < b->position_m.value_or(0);
        });
    for (const problem* each : order) {
      const problem& p = *each;
      const std::string text = p.label();
      const double w = label_width(text, 9);
      double x, top = y + 5;
      double text_y = top + 25;
      double text_x = 0;
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
        text_x = std::clamp(x, left + w / 2 + 2, left + plot_width() - w / 2);
        // The first row where it fits, else the one that ends first.
        int row = 0;
        while (row < label_rows && text_x - w / 2 < row_end[row] + 3) ++row;
        if (row == label_rows) {
          row = static_cast<int>(
              std::min_element(std::begin(row_end), std::end(row_end)) -
              std::begin(row_end));
        }
        row_end[row] = text_x + w / 2;
        text_y += row * row_step;
      } else {
        x = next_unplaced;
        top = y + placed_h + 8;
        text_y = top + 25;
        next_unplaced += std::max(22.0, w + 8);
        text_x = x;
      }
      std::string cls = "problem-marker";
      if (!p.warning.empty()) cls += " warning";
      if (p.stops_build) cls += " stops-build";
      g().open("g")
          .attr("class", cls)
          .attr(p.warning.empty() ? "data-code" : "data-warning", text);
      title(
          (p.warning.empty() ? tr_.format("error %s: %s", text, p.meaning)
                             : tr_.format("warning %s: %s", text, p.meaning)) +
          (p.position_m ? tr_.format(" at %s", km_label(*p.position_m))
                        : std::string(tr_(" (no position)"))) +
          (p.file.empty()
               ? std::string()
               : " (" + p.file + (p.line ? ":" + std::to_string(p.line) : "") +
                     (p.line && p.column ? ":" + std::to_string(p.column)
                                         : "") +
                     ")") +
          (p.stops_build ? tr_("; the simulator's build stops here") : ""));
      g().open("path")
          .attr("d", "M" + coordinate(x) + " " + coordinate(top) + shape)
          .end_empty();
      g().open("text")
          .attr("x", text_x)
          .attr("y", text_y)
          .attr("text-anchor", "middle")
          .text(text)
          .close("text");
      g().close("g");
    }
    if (s_.problems.empty()) {
      label(left + 8, y + 22, tr_("no recorded code"), "none-label", "start");
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
      title(tr_.format("end of the line, %s", km_label(s_.line_length_m)));
      g().close("line");
    }
    return bottom + 22;
  }

  const scene& s_;
  markup& out_;
  const running_drawing* run_;
  const translator& tr_;
  markup out_body_;
  markup grid_;
  int64_t extent_ = 1;
};

}  // namespace

void draw_profiles(const scene& s, markup& out, const translator& tr,
                   bool problems_only, const running_drawing* run) {
  profile_drawing(s, out, run, tr).draw(problems_only);
}

}  // namespace scenario::drawing
