// The report page: self-contained, every station labelled once, every code
// marked once, names escaped, and every series at the drawing's resolution.
#include "drawing/report_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/fixtures/descriptions.h"
#include "model/error_codes.h"
#include "model/translation.h"
#include "shell/run.h"
#include "testing/compiled_scenarios.h"

namespace scenario::drawing {
namespace {

using testing::line_description;
using testing::train_description;

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + what.size())) {
    ++n;
  }
  return n;
}

// The `d` attribute of the first path of class `cls`.
std::string path_of_class(const std::string& page, const std::string& cls) {
  const std::string head = "<path class=\"" + cls + "\" d=\"";
  const size_t at = page.find(head);
  if (at == std::string::npos) return {};
  const size_t from = at + head.size();
  return page.substr(from, page.find('"', from) - from);
}

size_t points_in(const std::string& d) { return count(d, "L") + count(d, "M"); }

TEST(render_report, page_needs_nothing_beside_it) {
  scenario_model m;
  testing::compile_every_kind(m, "R", "T");
  std::string page = render_report(m, {"test"}, translator());
  ASSERT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("<style>"), std::string::npos);
  EXPECT_NE(page.find("@media print"), std::string::npos);
  // Take out the SVG namespace name, the one URL the page may hold.
  const std::string ns = "xmlns=\"http://www.w3.org/2000/svg\"";
  for (size_t at; (at = page.find(ns)) != std::string::npos;)
    page.erase(at, ns.size());
  for (const char* outside :
       {"http", "src=", "href", "<link", "@import", "url("}) {
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  }
}

// The running diagrams: a marker per timed station, the values and the
// source of the curves named; none without two timed stations.
TEST(render_report, running_diagrams_follow_the_timed_stations) {
  scenario_model m;
  testing::compile_every_kind(m, "R", "T");
  const std::vector<curve_stretch> curves = {{5000, 400, 500}};
  const std::string with_curves =
      render_report(m, {"test", &curves}, translator());
  EXPECT_EQ(count(with_curves, "<g class=\"scheduled-point"), 2u);
  EXPECT_EQ(count(with_curves, "class=\"run-fastest\""), 2u);
  for (const char* said :
       {"id=\"running-note\"", "3000 kW", "Curves: from the curve records"}) {
    EXPECT_NE(with_curves.find(said), std::string::npos) << said;
  }
  EXPECT_NE(render_report(m, {"test"}, translator()).find("Curves: not known"),
            std::string::npos);
  for (voce& v : m.voci) v.orario = 0;
  const std::string untimed = render_report(m, {"test"}, translator());
  EXPECT_EQ(count(untimed, "<g class=\"scheduled-point"), 0u);
  EXPECT_NE(untimed.find("No running diagrams"), std::string::npos);
}

TEST(render_report, a_scenario_without_plan_still_draws_its_profiles) {
  scenario_model m;
  testing::compile_every_kind(m, "R", "T", /*with_plan=*/false);
  const std::string page = render_report(m, {}, translator());
  EXPECT_NE(page.find("No plan"), std::string::npos);
  EXPECT_EQ(page.find("class=\"plan-line\""), std::string::npos);
  EXPECT_NE(path_of_class(page, "speed-limit"), "");
  EXPECT_EQ(count(page, "class=\"station-label"), 3u);
}

TEST(render_report, one_label_per_station_and_escaped_names) {
  scenario_model m;
  m.percorso = "R<1>";
  m.treno = "T&\"2\"";
  ASSERT_EQ(compile_in_memory(
                m, 1, {"l", line_description(20000), ""},
                {"t",
                 train_description(
                     {"velocita,   0,    30",
                      "stazione,     200, 12,  700,  1, 1, 1,  4,1,0,  2,1,1, "
                      "   1,   7, 5, 0, A<B&C",
                      "stazione,    5000, 26,  400,  0, 0, 0,  0,0,0,  0,0,0, "
                      "   0,   0, 0, 0, </text><script>alert(1)</script>",
                      "stazione,   9000, 12,  400,  0, 0, 0,  0,0,0,  0,0,0, "
                      "   0,   8, 0, 0, CITT\xC0"}),
                 ""}),
            exit_clean);
  const std::string page = render_report(m, {}, translator());
  EXPECT_EQ(count(page, "class=\"station-label"), 3u);
  EXPECT_NE(page.find(">A&lt;B&amp;C</text>"), std::string::npos);
  EXPECT_NE(
      page.find(">&lt;/text&gt;&lt;script&gt;alert(1)&lt;/script&gt;</text>"),
      std::string::npos);
  EXPECT_NE(page.find(">CITT\xC3\x80</text>"), std::string::npos);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_EQ(page.find("A<B"), std::string::npos);
  EXPECT_NE(page.find("R&lt;1&gt;"), std::string::npos);
  EXPECT_EQ(page.find("T&\"2\""), std::string::npos);
  // The timetable has a row per station: stop, pass, stop.
  EXPECT_EQ(count(page, "class=\"timetable-row\""), 3u);
  EXPECT_EQ(count(page, "<td>stop</td>"), 2u);
  EXPECT_EQ(count(page, "<td>pass</td>"), 1u);
}

TEST(render_report, one_marker_and_one_row_per_recorded_code) {
  const struct {
    const char* what;
    std::string line;
    size_t codes;
  } cases[] = {
      {"clean", line_description(3000), 0},
      // Out of the cells (a position), then a kilometric reference that is
      // no multiple of 50 (no position).
      {"two codes",
       line_description(3000, {"pendenza,   90000,    1"},
                        {"progressiva chilometrica uno,    0,    10,    0"}),
       2},
      {"no cells", "[generale]\r\n", 1},
  };
  for (const auto& c : cases) {
    scenario_model m;
    m.percorso = "R";
    m.treno = "T";
    compile_in_memory(
        m, 1, {"line.txt", c.line, ""},
        {"train.txt", train_description({"velocita,   0,    30"}), ""});
    ASSERT_EQ(m.diagnostics.size(), c.codes) << c.what;
    const std::string page = render_report(m, {}, translator());
    EXPECT_EQ(count(page, "class=\"problem-marker"), c.codes) << c.what;
    EXPECT_EQ(count(page, "class=\"problem-row"), c.codes) << c.what;
    // The first code is where the compilation stopped.
    EXPECT_EQ(count(page, "class=\"problem-marker stops-build\""),
              c.codes > 0 ? 1u : 0u)
        << c.what;
    for (const diagnostic& d : m.diagnostics) {
      EXPECT_NE(page.find("data-code=\"" + std::to_string(d.codice) + "\""),
                std::string::npos)
          << c.what;
      EXPECT_NE(page.find("<td>" + d.file + "</td>"), std::string::npos)
          << c.what;
    }
  }
}

// The texts between each `<tag>` and `</tag>` of `page`, in order.
std::vector<std::string> texts_of(const std::string& page,
                                  const std::string& tag) {
  std::vector<std::string> found;
  const std::string head = "<" + tag + ">", tail = "</" + tag + ">";
  for (size_t at = page.find(head); at != std::string::npos;
       at = page.find(head, at + 1)) {
    const size_t from = at + head.size();
    found.push_back(page.substr(from, page.find(tail, from) - from));
  }
  return found;
}

// The page speaks the reader's language: its `lang`, headings, table heads,
// legend and tooltips, and the recorded codes' meanings; the drawing itself
// (every row, marker, label and tooltip) is the same in either language.
TEST(render_report, the_page_speaks_the_readers_language) {
  scenario_model m;
  m.percorso = "R";
  m.treno = "T";
  compile_in_memory(
      m, 1,
      {"line.txt",
       line_description(3000, {"pendenza,   90000,    1"},
                        {"progressiva chilometrica uno,    0,    10,    0"}),
       ""},
      {"train.txt",
       train_description(
           {"velocita,   0,    30",
            "stazione,     200, 12,  700,  1, 1, 1,  4,1,0,  2,1,1, "
            "   1,   7, 5, 0, ALFA",
            "stazione,    2000, 12,  400,  0, 0, 0,  0,0,0,  0,0,0, "
            "   0,   0, 0, 0, BETA"}),
       ""});
  ASSERT_EQ(m.diagnostics.size(), 2u);
  const struct {
    translator tr;
    const char* lang;
    std::vector<std::string> headings;
    const char* stop;  // the timetable's word for a stop
    const char* legend_item;
    const char* tooltip;
  } cases[] = {
      {translator(),
       "en",
       {"Plan", "Profiles", "Timetable", "Problems", "Legend"},
       "stop",
       "speed limit in force",
       "end of the line, 3+000"},
      {translator::for_locale("it_IT.UTF-8"),
       "it",
       {"Tracciato", "Profili", "Orario", "Problemi", "Legenda"},
       "fermata",
       "velocità massima in vigore",
       "fine della linea, 3+000"},
  };
  std::vector<std::string> pages;
  for (const auto& c : cases) {
    const std::string page = render_report(m, {"test"}, c.tr);
    EXPECT_NE(page.find("<html lang=\"" + std::string(c.lang) + "\">"),
              std::string::npos)
        << c.lang;
    EXPECT_EQ(texts_of(page, "h2"), c.headings) << c.lang;
    EXPECT_EQ(count(page, "<td>" + std::string(c.stop) + "</td>"), 1u)
        << c.lang;
    EXPECT_NE(page.find(c.legend_item), std::string::npos) << c.lang;
    EXPECT_NE(page.find("<title>" + std::string(c.tooltip) + "</title>"),
              std::string::npos)
        << c.lang;
    // Each recorded code carries its meaning in the page's language.
    for (const diagnostic& d : m.diagnostics) {
      EXPECT_NE(page.find("<td>" + describe(d, c.tr).meaning + "</td>"),
                std::string::npos)
          << c.lang << " " << d.codice;
    }
    pages.push_back(page);
  }
  EXPECT_NE(describe(m.diagnostics[0], cases[0].tr).meaning,
            describe(m.diagnostics[0], cases[1].tr).meaning);
  for (const char* mark :
       {"<tr", "<th>", "<title>", "<text", "<path", "<li>",
        "class=\"problem-marker", "class=\"timetable-row\""}) {
    EXPECT_EQ(count(pages[0], mark), count(pages[1], mark)) << mark;
  }
  for (const std::string& english : cases[0].headings) {
    EXPECT_EQ(pages[1].find("<h2>" + english + "</h2>"), std::string::npos);
  }
}

TEST(render_report, long_lines_are_drawn_at_the_drawing_resolution) {
  // 300 km whose gradient changes every 100 m and speed every 250 m: more
  // stretches than the drawing has columns.
  std::vector<std::string> line_body, train_body;
  for (int p = 0; p < 300000; p += 100) {
    line_body.push_back("pendenza,   " + std::to_string(p) + ",    " +
                        std::to_string(p / 100 % 9 - 4));
  }
  for (int p = 0; p < 300000; p += 1000) {
    line_body.push_back("curva" + std::string(p / 1000 % 2 ? "s" : "d") +
                        "4,  " + std::to_string(p) + ",  300");
  }
  for (int p = 0; p < 300000; p += 250) {
    train_body.push_back("velocita,   " + std::to_string(p) + ",    " +
                         std::to_string(p / 250 % 2 ? 60 : 120));
  }
  scenario_model m;
  m.percorso = "R";
  m.treno = "T";
  ASSERT_EQ(
      compile_in_memory(m, 1, {"l", line_description(300000, line_body), ""},
                        {"t", train_description(train_body), ""}),
      exit_clean);
  const std::string page = render_report(m, {}, translator());
  // At most four points per column of the plotting area.
  const size_t bound = 4 * static_cast<size_t>(drawing_width) + 8;
  for (const char* cls : {"elevation", "speed-limit"}) {
    const std::string d = path_of_class(page, cls);
    ASSERT_FALSE(d.empty()) << cls;
    EXPECT_LE(points_in(d), bound) << cls;
    EXPECT_GT(points_in(d), drawing_width / 2) << cls;  // still drawn in full
  }
  const std::string plan = path_of_class(page, "plan-line");
  EXPECT_GT(points_in(plan), 10u);
  EXPECT_LT(points_in(plan), 20000u);  // of 307000 metres
  EXPECT_LT(page.size(), 1000000u);
}

}  // namespace
}  // namespace scenario::drawing
