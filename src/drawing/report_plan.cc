#include "drawing/report_plan.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "drawing/report_layout.h"
#include "drawing/report_page.h"
#include "model/kilometres.h"

namespace scenario::drawing {
namespace {

// The most kilometre ticks the plan carries.
constexpr double max_plan_ticks = 1000;

class plan_drawing {
 public:
  plan_drawing(const scenario_model& m, const scene& s, markup& out,
               const translator& tr)
      : m_(m), s_(s), out_(out), tr_(tr) {}

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
        .attr("aria-label", tr_("plan of the line"));
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
    // A plan of wild coordinates has a tolerance beyond the plan itself.
    const double metres = tolerance_m_ * 4;
    int64_t step = 1;
    if (metres > 1) {
      step = static_cast<int64_t>(std::min(
          metres, static_cast<double>(std::max<int64_t>(1, last_metre_))));
    }
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
          .text(t.name.empty()
                    ? tr_.format("tunnel %s to %s", km_label(t.start_m),
                                 km_label(t.end_m))
                    : tr_.format("tunnel %s %s to %s", t.name,
                                 km_label(t.start_m), km_label(t.end_m)))
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
    // About 60 px apart along the path, but whole metres and at most
    // max_plan_ticks of them: a damaged plan may fold a long line into a
    // dot, whose path would call for ticks by the billion.
    const double step = std::max(
        {nice_step(60 / scale_),
         nice_step(static_cast<double>(last_metre_) / max_plan_ticks), 1.0});
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
      const std::string start = tr_.format("start %s", km_label(0));
      labels_.place(p->x - 12 - label_width(start), p->y - 8, p->x + 8,
                    p->y + 8);
      out_.open("text")
          .attr("class", "plan-end-label")
          .attr("x", p->x - 12)
          .attr("y", p->y + 4)
          .attr("text-anchor", "end")
          .text(start)
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
      const std::string end_text = tr_.format("end %s", km_label(end));
      labels_.reserve(p->x - 8, p->y - 8, p->x + 12 + label_width(end_text),
                      p->y + 8);
      out_.open("text")
          .attr("class", "plan-end-label")
          .attr("x", p->x + 12)
          .attr("y", p->y + 4)
          .text(end_text)
          .close("text");
    }
  }

  const scenario_model& m_;
  const scene& s_;
  markup& out_;
  const translator& tr_;
  label_boxes labels_;
  double scale_ = 1, ox_ = 0, oy_ = 0, tolerance_m_ = 1;
  int64_t last_metre_ = 0;
  size_t drawn_points_ = 0, total_points_ = 0;
};

}  // namespace

std::optional<plan_summary> draw_plan(const scenario_model& m, const scene& s,
                                      markup& out, const translator& tr) {
  plan_drawing plan(m, s, out, tr);
  if (!plan.draw()) return std::nullopt;
  return plan_summary{plan.tolerance_m(), plan.drawn_points(),
                      plan.total_points()};
}

}  // namespace scenario::drawing
