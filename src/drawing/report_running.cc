#include "drawing/report_running.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "drawing/report_layout.h"
#include "drawing/scene.h"
#include "model/text_8bit.h"
#include "running/timing_report.h"

namespace scenario::drawing {
namespace {

constexpr double ms_to_kmh = 3.6;

void frame(markup& g, const km_axis& a, double y, double h,
           std::string_view title, std::string_view unit) {
  g.open("rect")
      .attr("class", "strip")
      .attr("x", a.left)
      .attr("y", y)
      .attr("width", a.width)
      .attr("height", h)
      .end_empty();
  g.open("text")
      .attr("class", "strip-title")
      .attr("x", 8)
      .attr("y", y + 14)
      .text(title)
      .close("text");
  g.open("text")
      .attr("class", "unit")
      .attr("x", 8)
      .attr("y", y + 27)
      .text(unit)
      .close("text");
}

void tick(markup& g, const km_axis& a, double y, const std::string& label) {
  g.open("line")
      .attr("class", "hgrid")
      .attr("x1", a.left)
      .attr("x2", a.left + a.width)
      .attr("y1", y)
      .attr("y2", y)
      .end_empty();
  g.open("text")
      .attr("class", "tick-label")
      .attr("x", a.left - 4)
      .attr("y", y + 4)
      .attr("text-anchor", "end")
      .text(label)
      .close("text");
}

void path(markup& g, std::string_view cls, const std::vector<xy>& pts,
          double columns) {
  if (pts.size() < 2) return;
  g.open("path")
      .attr("class", cls)
      .attr("d", reduced_path(pts, columns))
      .end_empty();
}

// The speed of the run with margin: per metre, the margin stretches the
// fastest run's time by its band's percentage and adds its time per metre.
double margin_speed(const running_parameters& p, double v, double permitted) {
  if (v <= 0) return 0;
  const double per_m = p.margin.minutes_per_100km * 60 / 100000;
  return v / (1 + p.margin.percent_at(permitted) / 100 + per_m * v);
}

std::string clock_label(double s) {
  return format_time_of_day(static_cast<int32_t>(std::lround(s)));
}

// The time of day of node k on the leg that leaves point i: the run starts
// at the scheduled departure.
double leg_clock(const running_drawing& d, size_t i, size_t k,
                 const std::vector<double>& times) {
  const running_result& r = d.result;
  const timed_point& from = d.line.points[i];
  const size_t start = r.point_node[i];
  if (k == start) return from.time_s;
  return from.time_s + times[k] - times[start] - from.dwell_s;
}

}  // namespace

double draw_speed_distance(const running_drawing& d, const km_axis& a,
                           markup& g, double y, const translator& tr) {
  const running_result& r = d.result;
  const double h = 180, pad_top = 26, pad_bottom = 8;
  frame(g, a, y, h, tr("Speed run"), "km/h");
  double top = 20;
  for (double v : r.permitted_kmh) top = std::max(top, v);
  const double step = nice_step(top / 4);
  const double hi = std::ceil(top / step) * step;
  const double y0 = y + pad_top, y1 = y + h - pad_bottom;
  auto y_of = [&](double kmh) {
    return y1 - std::clamp(kmh, 0.0, hi) / hi * (y1 - y0);
  };
  for (double v = 0; v <= hi + 1e-9; v += step) {
    tick(g, a, y_of(v), coordinate(v));
  }
  std::vector<xy> permitted, fastest, margin;
  permitted.reserve(r.nodes());
  fastest.reserve(r.nodes());
  margin.reserve(r.nodes());
  for (size_t k = 0; k < r.nodes(); ++k) {
    const double x = a.x_of(r.position(k));
    permitted.push_back({x, y_of(r.permitted_kmh[k])});
    fastest.push_back({x, y_of(r.speed_ms[k] * ms_to_kmh)});
    margin.push_back(
        {x, y_of(margin_speed(d.params, r.speed_ms[k], r.permitted_kmh[k]) *
                 ms_to_kmh)});
  }
  path(g, "run-permitted", permitted, a.width);
  path(g, "run-margin", margin, a.width);
  path(g, "run-fastest", fastest, a.width);
  if (r.stand_m) {
    const double x = a.x_of(*r.stand_m);
    g.open("path")
        .attr("class", "run-stand")
        .attr("d",
              "M" + coordinate(x) + " " + coordinate(y1 - 14) + "l7 13h-14z");
    g.open("title")
        .text(tr.format("the train comes to a stand at %s",
                        km_label(static_cast<int64_t>(*r.stand_m))))
        .close("title");
    g.close("path");
  }
  return y + h + 6;
}

double draw_time_distance(const running_drawing& d, const km_axis& a, markup& g,
                          double y, const translator& tr) {
  const running_result& r = d.result;
  const std::vector<timed_point>& pts = d.line.points;
  const double h = 230, pad_top = 26, pad_bottom = 10;
  frame(g, a, y, h, tr("Time run"), tr("time of day"));
  // Time runs down the strip, from the first departure to the latest of
  // the scheduled arrival and the runs' ends.
  double t0 = pts.front().time_s, t1 = pts.back().time_s;
  for (const leg& l : r.legs) {
    if (!std::isfinite(l.with_margin_s)) continue;
    t1 = std::max(t1,
                  pts[l.from].time_s + std::max(l.with_margin_s, l.fastest_s));
  }
  for (const timed_point& p : pts) t0 = std::min<double>(t0, p.arrival_s());
  if (t1 - t0 < 60) t1 = t0 + 60;
  const double y0 = y + pad_top, y1 = y + h - pad_bottom;
  auto y_of = [&](double t) { return y0 + (t - t0) / (t1 - t0) * (y1 - y0); };
  const double step = 60 * nice_step((t1 - t0) / 60 / 5);
  for (double t = std::ceil(t0 / step) * step; t <= t1 + 1e-9; t += step) {
    tick(g, a, y_of(t), clock_label(t));
  }
  for (size_t li = 0; li < r.legs.size(); ++li) {
    const leg& l = r.legs[li];
    const size_t from = r.point_node[l.from];
    const size_t to = std::min(r.point_node[l.to] + 1, r.nodes());
    std::vector<xy> fastest, margin;
    for (size_t k = from; k < to; ++k) {
      const double x = a.x_of(r.position(k));
      fastest.push_back({x, y_of(leg_clock(d, l.from, k, r.time_s))});
      margin.push_back({x, y_of(leg_clock(d, l.from, k, r.margin_time_s))});
    }
    path(g, "run-margin", margin, a.width);
    path(g, "run-fastest", fastest, a.width);
  }
  // One marker per timed station: at its arrival (the first at its
  // departure), with its dwell as a line down to the departure.
  for (size_t i = 0; i < pts.size(); ++i) {
    const timed_point& p = pts[i];
    const double x = a.x_of(static_cast<double>(p.position_m));
    const bool unmet = i > 0 && r.legs[i - 1].judged == verdict::impossible;
    const double at = i == 0 ? p.time_s : p.arrival_s();
    g.open("g")
        .attr("class", unmet ? "scheduled-point unmet" : "scheduled-point")
        .attr("data-station", windows1252_to_utf8(p.name))
        .attr("data-verdict",
              i == 0 ? "start" : verdict_name(r.legs[i - 1].judged));
    std::string title =
        tr.format("%s at %s: scheduled %s", windows1252_to_utf8(p.name),
                  km_label(p.position_m), clock_label(at));
    if (i > 0) {
      const leg& l = r.legs[i - 1];
      title += tr.format(
          ", %s after leaving %s; fastest %s, with margin %s: %s",
          format_duration(l.scheduled_s, tr),
          windows1252_to_utf8(pts[l.from].name),
          format_duration(l.fastest_s, tr),
          format_duration(l.with_margin_s, tr), verdict_words(l.judged, tr));
    }
    g.open("title").text(title).close("title");
    if (p.dwell_s > 0 && i > 0 && i + 1 < pts.size()) {
      g.open("line")
          .attr("class", "scheduled-dwell")
          .attr("x1", x)
          .attr("x2", x)
          .attr("y1", y_of(at))
          .attr("y2", y_of(p.time_s))
          .end_empty();
    }
    g.open("circle")
        .attr("cx", x)
        .attr("cy", y_of(at))
        .attr("r", unmet ? 5 : 4)
        .end_empty();
    g.close("g");
  }
  return y + h + 6;
}

std::string running_note(const running_drawing& d, const translator& tr) {
  if (d.result.legs.empty()) {
    return tr(
        "No running diagrams: the timetable has fewer than two timed "
        "stations.");
  }
  return std::string(
             tr("Speed and time runs: the fastest run of the train and the "
                "run with the regularity margin, each leg from its scheduled "
                "departure.")) +
         " " + describe(d.params, tr) + " " +
         describe_curves(d.line, d.params.train, tr);
}

void running_legend(markup& out, const translator& tr) {
  auto item = [&](std::string_view swatch, std::string_view text) {
    out.open("li");
    out.raw("<svg viewBox=\"0 0 34 16\" aria-hidden=\"true\">");
    out.raw(swatch);
    out.raw("</svg>");
    out.text(text);
    out.close("li");
  };
  item(
      "<path d=\"M1 12H14V5H33\" fill=\"none\" stroke=\"#0072B2\" "
      "stroke-width=\"1\" stroke-dasharray=\"4 2\"/>",
      tr("limit under the whole train"));
  item(
      "<path d=\"M1 14L10 4H24L33 14\" fill=\"none\" stroke=\"#000\" "
      "stroke-width=\"1.6\"/>",
      tr("fastest run (braking curves, stops at zero)"));
  item(
      "<path d=\"M1 14L12 6H22L33 14\" fill=\"none\" stroke=\"#CC79A7\" "
      "stroke-width=\"1.6\" stroke-dasharray=\"5 2\"/>",
      tr("run with the regularity margin"));
  item(
      "<circle cx=\"17\" cy=\"8\" r=\"4\" fill=\"#56B4E9\" "
      "stroke=\"#0b3d5c\"/>",
      tr("scheduled time at a station"));
  item(
      "<circle cx=\"17\" cy=\"8\" r=\"5\" fill=\"#D55E00\" "
      "stroke=\"#6b2f00\"/>",
      tr("scheduled time the train cannot meet"));
}

}  // namespace scenario::drawing
