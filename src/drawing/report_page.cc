#include "drawing/report_page.h"

#include <map>
#include <string_view>

#include "drawing/markup.h"
#include "drawing/report_layout.h"
#include "drawing/report_plan.h"
#include "drawing/report_profiles.h"
#include "drawing/report_running.h"
#include "drawing/scene.h"
#include "model/kilometres.h"
#include "model/translation.h"

namespace scenario::drawing {
namespace {

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
.problem-marker.warning path { fill: #E69F00; stroke: #6b4a00; }
.problem-marker.warning text { fill: #6b4a00; font-weight: 400; }
.problem-marker.stops-build path { stroke: #000; stroke-width: 2; }
.problem-marker.stops-build text { fill: #000; }
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
.run-permitted { fill: none; stroke: #0072B2; stroke-width: 1; stroke-dasharray: 4 2; }
.run-fastest { fill: none; stroke: #000; stroke-width: 1.4; stroke-linejoin: round; }
.run-margin { fill: none; stroke: #CC79A7; stroke-width: 1.4; stroke-dasharray: 5 2; }
.run-stand { fill: #D55E00; stroke: #6b2f00; }
.scheduled-point circle { fill: #56B4E9; stroke: #0b3d5c; stroke-width: 1.2; }
.scheduled-point.unmet circle { fill: #D55E00; stroke: #6b2f00; }
.scheduled-dwell { stroke: #0b3d5c; stroke-width: 2; }
.problems tr td:first-child { font-weight: 700; color: #a33f00; }
.problems tr.not-error td:first-child { font-weight: 400; color: #6b4a00; }
.problems tr.stops-build td { background: #fbe3d6; }
.problems tr.stops-build td:last-child { font-weight: 700; }
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

// "error 16 ×2, error 25": the codes the compilation recorded.
void recorded_codes(markup& out, const scene& s, const translator& tr) {
  out.element("strong", tr("Recorded codes: "));
  if (s.problems.empty()) {
    out.open("span").attr("class", "codes-none").text(tr("none")).close("span");
    return;
  }
  std::map<int, int> count;
  for (const problem& p : s.problems) ++count[p.code];
  std::string t;
  for (const auto& [code, n] : count) {
    if (!t.empty()) t += ", ";
    t += tr.format("error %d", code);
    if (n > 1) t += " \u00d7" + std::to_string(n);
  }
  out.open("span").attr("class", "codes").text(t).close("span");
}

std::string place_of(const problem& p) {
  std::string t = p.file;
  if (p.line > 0) t += ":" + std::to_string(p.line);
  if (p.line > 0 && p.column > 0) t += ":" + std::to_string(p.column);
  return t;
}

// The check's count, and where the strict compilation stops.
void findings_summary(markup& out, const scene& s, const translator& tr) {
  int errors = 0;
  for (const problem& p : s.problems) errors += p.is_error ? 1 : 0;
  const int warnings = static_cast<int>(s.problems.size()) - errors;
  out.element("strong", tr("Findings: "));
  out.open("span")
      .attr("class", s.problems.empty() ? "codes-none" : "codes")
      .text(s.problems.empty()
                ? std::string(tr("none"))
                : tr.format_plural("%d error", "%d errors", errors, errors) +
                      ", " +
                      tr.format_plural("%d warning", "%d warnings", warnings,
                                       warnings))
      .close("span");
  out.open("br").end_empty();
  out.element("strong", tr("The simulator's build: "));
  const problem* stop = nullptr;
  for (const problem& p : s.problems) {
    if (p.stops_build) stop = &p;
  }
  if (stop == nullptr) {
    out.open("span")
        .attr("class", "codes-none")
        .text(tr("records no code"))
        .close("span");
  } else {
    out.open("span")
        .attr("class", "codes strict-code")
        .text(tr.format("stops at error %d (%s)", stop->code, place_of(*stop)))
        .close("span");
  }
}

void header(markup& out, const scene& s, const page_options& opts,
            const translator& tr) {
  out.open("header");
  out.element("h1", tr.format("Route %s \u00b7 train %s", s.route, s.train));
  if (!opts.source.empty()) {
    out.open("p")
        .attr("class", "source")
        .text(tr.format("Drawn from %s", opts.source))
        .close("p");
  }
  out.open("div").attr("class", "facts");
  out.open("table").attr("class", "general");
  out.open("caption").text(tr("Line")).close("caption");
  fact_row(out, tr("line length"),
           s.has_cells ? km_label(s.line_length_m) + " (" +
                             std::to_string(s.line_length_m) + " m)"
                       : std::string(tr("no cells")));
  fact_row(out, tr("drawn up to"), km_label(s.extent_m));
  out.close("table");

  int stops = 0;
  for (const station& st : s.stations) stops += st.stops ? 1 : 0;
  int with_speed = 0;
  for (const speed_point& p : s.speed_points) with_speed += p.speed_kmh ? 1 : 0;
  out.open("table").attr("class", "counts");
  out.open("caption").text(tr("Records")).close("caption");
  fact_row(out, tr("stations"),
           tr.format("%d (%d stops, %d passed)", s.stations.size(), stops,
                     s.stations.size() - stops));
  fact_row(out, tr("signals"), std::to_string(s.signals.size()));
  fact_row(out, tr("slowdowns"), std::to_string(s.slowdowns.size()));
  fact_row(out, tr("speed boards"), std::to_string(s.speed_boards.size()));
  fact_row(out, tr("direction boards"),
           std::to_string(s.direction_boards.size()));
  fact_row(out, tr("tunnels"), std::to_string(s.tunnels.size()));
  fact_row(out, tr("speed points"),
           tr.format("%d (%d without a speed)", s.speed_points.size(),
                     s.speed_points.size() - with_speed));
  fact_row(out, tr("speed limit stretches"),
           std::to_string(s.speed_limit.size()));
  fact_row(out, tr("gradient stretches"), std::to_string(s.gradient.size()));
  out.close("table");

  out.open("div").attr("class", "recorded");
  if (opts.findings) {
    findings_summary(out, s, tr);
  } else {
    recorded_codes(out, s, tr);
  }
  out.close("div");
  out.close("div");
  out.close("header");
}

void timetable(markup& out, const scene& s, const translator& tr) {
  out.open("section").attr("id", "timetable");
  out.element("h2", tr("Timetable"));
  if (s.stations.empty()) {
    out.element("p", tr("No station."));
    out.close("section");
    return;
  }
  out.open("table").attr("class", "timetable");
  out.open("tr");
  for (const char* h : {"#", N_("station"), N_("km"), N_("zone"), N_("kind"),
                        N_("time"), N_("stop or pass")}) {
    out.element("th", tr(h));
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
        .text(st.time_s != 0 ? format_time_of_day(st.time_s) : "")
        .close("td");
    out.element("td", st.stops ? tr("stop") : tr("pass"));
    out.close("tr");
  }
  out.close("table");
  out.close("section");
}

void problem_table(markup& out, const scene& s, const translator& tr) {
  out.open("section").attr("id", "problems");
  out.element("h2", tr("Problems"));
  if (s.problems.empty()) {
    out.open("p")
        .attr("class", "codes-none")
        .text(tr("The compilation recorded no code."))
        .close("p");
    out.close("section");
    return;
  }
  out.open("table").attr("class", "problems");
  out.open("tr");
  for (const char* h :
       {N_("code or warning"), N_("meaning"), N_("position"), N_("file"),
        N_("line"), N_("column"), N_("detail"), N_("build")}) {
    out.element("th", tr(h));
  }
  out.close("tr");
  for (const problem& p : s.problems) {
    std::string cls = "problem-row";
    if (!p.warning.empty()) cls += " warning";
    if (!p.is_error) cls += " not-error";
    if (p.stops_build) cls += " stops-build";
    out.open("tr").attr("class", cls);
    out.element("td", p.label());
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
    out.open("td")
        .attr("class", "num")
        .text(p.column ? std::to_string(p.column) : "")
        .close("td");
    out.element("td", p.detail);
    out.element("td", p.stops_build ? tr("stops it")
                      : p.strict    ? tr("recorded")
                                    : "");
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

void legend(markup& out, bool running, const translator& tr) {
  out.open("section").attr("id", "legend");
  out.element("h2", tr("Legend"));
  out.open("ul").attr("class", "legend");
  legend_item(out,
              "<path d=\"M1 14L12 6L22 10L33 3\" fill=\"none\" "
              "stroke=\"#009E73\" stroke-width=\"2\"/>",
              tr("elevation (integrated from the gradients, \u2030)"));
  legend_item(out,
              "<path d=\"M1 12H14V5H33\" fill=\"none\" stroke=\"#0072B2\" "
              "stroke-width=\"2\"/>",
              tr("speed limit in force"));
  legend_item(out, "<path d=\"M13 3h8l-4 7z\" fill=\"#0072B2\"/>",
              tr("speed board"));
  legend_item(out, "<path d=\"M17 3l4 5l-4 5l-4-5z\" fill=\"#000\"/>",
              tr("speed point"));
  legend_item(
      out,
      "<path d=\"M3 4l5 9h-10z\" fill=\"#fff\" stroke=\"#8a5f00\"/><rect "
      "x=\"16\" y=\"4\" width=\"17\" height=\"9\" fill=\"#E69F00\"/>",
      tr("slowdown: warning, then start to end"));
  legend_item(out,
              "<rect x=\"2\" y=\"4\" width=\"30\" height=\"9\" fill=\"#222\"/>",
              tr("tunnel"));
  legend_item(out,
              "<line x1=\"17\" y1=\"1\" x2=\"17\" y2=\"15\" stroke=\"#CC79A7\" "
              "stroke-width=\"2\"/>",
              tr("signal"));
  legend_item(
      out,
      "<rect x=\"2\" y=\"3\" width=\"30\" height=\"10\" fill=\"#56B4E9\" "
      "fill-opacity=\"0.45\"/><line x1=\"17\" y1=\"1\" x2=\"17\" y2=\"15\" "
      "stroke=\"#0b3d5c\" stroke-width=\"1.5\"/>",
      tr("station zone and position (bold name: stop)"));
  legend_item(out, "<path d=\"M17 2l7 12h-14z\" fill=\"#D55E00\"/>",
              tr("error (its code)"));
  legend_item(out, "<path d=\"M17 2l7 12h-14z\" fill=\"#E69F00\"/>",
              tr("warning (its -W name)"));
  legend_item(out,
              "<path d=\"M17 2l7 12h-14z\" fill=\"#D55E00\" stroke=\"#000\" "
              "stroke-width=\"2\"/>",
              tr("the code where the simulator's build stops"));
  legend_item(
      out,
      "<circle cx=\"9\" cy=\"8\" r=\"6\" fill=\"#009E73\" "
      "stroke=\"#000\"/><rect x=\"20\" y=\"2\" width=\"12\" height=\"12\"/>",
      tr("plan: start, end of the line"));
  legend_item(
      out,
      "<path d=\"M1 8H33\" stroke=\"#000\" stroke-width=\"6\"/><path d=\"M1 "
      "8H33\" stroke=\"#fff\" stroke-width=\"1.6\" stroke-dasharray=\"3 3\"/>",
      tr("plan: tunnel"));
  if (running) running_legend(out, tr);
  out.close("ul");
  out.close("section");
}

}  // namespace

std::string render_report(const scenario_model& m, const page_options& opts,
                          const translator& tr) {
  scene s = read_scene(m, tr);
  if (opts.findings) {
    s.problems = *opts.findings;
  } else {
    // The recorded codes: the first is where the compilation stopped.
    for (size_t i = 0; i < s.problems.size() && i < m.diagnostics.size(); ++i) {
      s.problems[i].column = m.diagnostics[i].column;
      s.problems[i].stops_build = i == 0;
    }
  }
  markup out;
  out.raw("<!DOCTYPE html>\n");
  out.open("html").attr("lang", tr.language());
  out.open("head");
  out.open("meta").attr("charset", "utf-8").end_empty();
  out.open("meta")
      .attr("name", "viewport")
      .attr("content", "width=device-width, initial-scale=1")
      .end_empty();
  out.element("title", tr.format("Scenario %s \u00b7 %s", s.route, s.train));
  out.open("style").raw(style_sheet).close("style");
  out.close("head");
  out.open("body");
  header(out, s, opts, tr);

  out.open("section").attr("id", "plan-section");
  out.element("h2", tr("Plan"));
  if (const auto plan = draw_plan(m, s, out, tr)) {
    out.open("p")
        .attr("class", "note")
        .text(tr.format("North up, equal scales. %d of %d plan points drawn: "
                        "no metre of the line lies farther than %s m (%s "
                        "drawing units) from the drawn line.",
                        plan->drawn_points, plan->total_points,
                        coordinate(plan->tolerance_m),
                        coordinate(plan_tolerance_units)))
        .close("p");
  } else {
    out.element("p", tr("No plan: the compilation built none."));
  }
  out.close("section");

  out.open("section").attr("id", "profile-section");
  out.element("h2", tr("Profiles"));
  running_drawing run;
  if (s.has_cells) {
    run.line = read_running_line(m, opts.curves, tr);
    take_from_scenario(m, run.params.train);
    run.result = run_fastest(run.line, run.params);
    draw_profiles(s, out, tr, /*problems_only=*/false, &run);
    out.open("p")
        .attr("class", "note")
        .attr("id", "running-note")
        .text(running_note(run, tr))
        .close("p");
  } else {
    out.element("p",
                tr("No cells: the compilation ended before the line length was "
                   "read."));
    // The codes still get their markers, in a strip of their own.
    draw_profiles(s, out, tr, /*problems_only=*/true);
  }
  out.close("section");

  timetable(out, s, tr);
  problem_table(out, s, tr);
  legend(out, !run.result.legs.empty(), tr);
  out.close("body");
  out.close("html");
  out.raw("\n");
  return out.take();
}

}  // namespace scenario::drawing
