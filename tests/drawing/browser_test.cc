// The report page in a real browser: headless Chromium renders the pages of
// the build's scenario and of a damaged variant of it. The screenshots must
// show something and differ, and the rendered document must hold one label
// per station and one marker per recorded code. A missing browser is a
// failure, never a skip: scripts/setup installs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "checking/check.h"
#include "compiler/compiler.h"
#include "drawing/report_page.h"
#include "drawing/scene.h"
#include "model/error_codes.h"
#include "model/translation.h"
#include "shell/run.h"
#include "sources/sources.h"
#include "testing/process.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::process_result;
using testing::read_file;
using testing::run_program;
using testing::temp_dir;
using testing::write_file;

// The full path of `program` on PATH, or empty.
std::string on_path(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "/usr/bin:/bin");
  for (std::string d; std::getline(dirs, d, ':');) {
    const auto p = std::filesystem::path(d) / program;
    if (std::filesystem::exists(p)) return p.string();
  }
  return {};
}

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + what.size())) {
    ++n;
  }
  return n;
}

class browser : public ::testing::Test {
 protected:
  void SetUp() override {
    chromium_ = on_path("chromium");
    ASSERT_FALSE(chromium_.empty())
        << "chromium is not installed (scripts/setup installs it)";
    convert_ = on_path("convert");
    compare_ = on_path("compare");
    ASSERT_FALSE(convert_.empty() || compare_.empty())
        << "ImageMagick is not installed (scripts/setup installs it)";
    file_failure failure;
    ASSERT_TRUE(dati_linea(dir_.path(), build_percorso, &failure));
    ASSERT_TRUE(dati_treno(dir_.path(), build_percorso, build_treno, &failure));
    line_ = linea_txt_path(dir_.path(), build_percorso).string();
    train_ = treno_txt_path(dir_.path(), build_percorso, build_treno).string();
  }

  // Runs headless Chromium on `page` with `mode` ("--screenshot=FILE" or
  // "--dump-dom") in a fresh profile; returns what it printed.
  std::string chromium(const std::string& page, const std::string& mode) {
    const std::string profile =
        (dir_ / ("profile" + std::to_string(runs_++))).string();
    const process_result r = run_program(
        {chromium_, "--headless", "--no-sandbox", "--disable-gpu",
         "--disable-quic", "--no-first-run", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--hide-scrollbars",
         "--user-data-dir=" + profile, "--window-size=1280,2200", mode,
         "file://" + page},
        /*without_display=*/true);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
  }

  std::string screenshot(const std::string& page, const std::string& png) {
    chromium(page, "--screenshot=" + png);
    EXPECT_TRUE(std::filesystem::exists(png)) << png;
    return png;
  }

  // ImageMagick's answer about one image, e.g. "%k" (distinct colours).
  std::string image_fact(const std::string& png, const std::string& format) {
    const process_result r =
        run_program({convert_, png, "-format", format, "info:"}, true);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
  }

  // How many pixels of `png` have the colour `hex` (within a little).
  double pixels_of_colour(const std::string& png, const std::string& hex) {
    const process_result r =
        run_program({convert_, png, "-fuzz", "6%", "-fill", "black", "+opaque",
                     hex, "-fill", "white", "-opaque", hex, "-format",
                     "%[fx:mean*w*h]", "info:"},
                    true);
    EXPECT_EQ(r.status, 0) << r.err;
    return std::stod(r.out);
  }

  // The page of the descriptions `line` and `train`, with the model the
  // tool drew, compiled alike.
  std::string page_of(const std::string& line, const std::string& train,
                      const std::string& name, scenario_model& m) {
    const std::string page = (dir_ / name).string();
    const process_result r = run_program(
        {SCENARIO_TOOL_PATH, "report", line, train, "-o", page}, true);
    EXPECT_LE(r.status, 1) << r.err;
    m.percorso = build_percorso;
    m.treno = build_treno;
    compile_in_memory(m, 1, load_description(line), load_description(train));
    return page;
  }

  temp_dir dir_;
  std::string chromium_, convert_, compare_, line_, train_;
  int runs_ = 0;
};

TEST_F(browser, screenshots_show_the_page_and_tell_scenarios_apart) {
  scenario_model clean, damaged;
  const std::string good = page_of(line_, train_, "good.html", clean);
  // The same line with one record beyond it and a kilometric reference that
  // is no multiple of 50.
  std::string text = read_file(line_);
  text.replace(text.find("progressiva chilometrica uno,    0,    0"),
               std::string("progressiva chilometrica uno,    0,    0").size(),
               "progressiva chilometrica uno,    0,    10");
  text.insert(text.find("[fine]"), "pendenza,   200000,    3\r\n");
  write_file(dir_ / "bad_line.txt", text);
  const std::string bad =
      page_of((dir_ / "bad_line.txt").string(), train_, "bad.html", damaged);
  ASSERT_EQ(damaged.diagnostics.size(), 2u);

  const std::string a = screenshot(good, (dir_ / "good.png").string());
  const std::string b = screenshot(bad, (dir_ / "bad.png").string());
  for (const std::string& png : {a, b}) {
    // Not blank: many colours, and far from an all-white picture.
    EXPECT_GT(std::stoi(image_fact(png, "%k")), 50) << png;
    EXPECT_LT(std::stod(image_fact(png, "%[fx:mean]")), 0.99) << png;
    EXPECT_EQ(image_fact(png, "%w %h"), "1280 2200") << png;
  }
  // Pixels that differ between the two: the header, the markers, the table.
  const process_result diff =
      run_program({compare_, "-metric", "AE", a, b, "null:"}, true);
  EXPECT_GT(std::stod(diff.err), 1000) << diff.err;
}

TEST_F(browser, rendered_page_labels_every_station_and_marks_every_code) {
  for (const bool damaged_line : {false, true}) {
    std::string line = line_;
    if (damaged_line) {
      std::string text = read_file(line_);
      text.insert(text.find("[fine]"), "pendenza,   200000,    3\r\n");
      line = (dir_ / "bad_line.txt").string();
      write_file(line, text);
    }
    scenario_model m;
    const std::string page = page_of(line, train_, "page.html", m);
    const std::string dom = chromium(page, "--dump-dom");
    const drawing::scene s = drawing::read_scene(m, translator());
    ASSERT_EQ(s.stations.size(), 20u);
    // The texts of the station labels, as the browser parsed them, are the
    // stations' names, each once (these names need no escape).
    std::vector<std::string> labels, names;
    const std::string head = "<text class=\"station-label";
    for (size_t at = dom.find(head); at != std::string::npos;
         at = dom.find(head, at + 1)) {
      const size_t from = dom.find('>', at) + 1;
      labels.push_back(dom.substr(from, dom.find("</text>", from) - from));
    }
    for (const drawing::station& st : s.stations) names.push_back(st.name);
    std::sort(labels.begin(), labels.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(labels, names);
    // Every finding of the check is a marker, the strict code among them
    // marked as where the build stops (the build's pair has warnings only).
    const check_result checked = check_descriptions(
        load_description(line), load_description(train_), {}, translator());
    EXPECT_GT(checked.warnings, 0);
    EXPECT_EQ(count(dom, "class=\"problem-marker"), checked.findings.size());
    EXPECT_EQ(count(dom, "class=\"problem-marker warning\""),
              static_cast<size_t>(checked.warnings));
    EXPECT_EQ(count(dom, "class=\"problem-marker stops-build\""),
              m.diagnostics.size());
    EXPECT_EQ(m.diagnostics.size(), damaged_line ? 1u : 0u);
  }
}

// The running diagrams: one marker per timed station (7 in the build's
// timetable), and a time the train cannot keep in the problem colour, in
// the document and on the screen.
TEST_F(browser, running_diagrams_mark_every_scheduled_time) {
  // ALBAREDO at 8:05 instead of 8:12: 11 minutes for the 22.4 km from
  // ROCCAFERRA, where the fastest run takes 16.
  std::string text = read_file(train_);
  const std::string on_time = "60,   8,12, 0, ALBAREDO";
  ASSERT_NE(text.find(on_time), std::string::npos);
  text.replace(text.find(on_time), on_time.size(), "60,   8, 5, 0, ALBAREDO");
  const std::string late_train = (dir_ / "late_train.txt").string();
  write_file(late_train, text);

  const struct {
    std::string train;
    std::vector<std::string> unmet;
  } cases[] = {{train_, {}}, {late_train, {"ALBAREDO"}}};
  std::vector<double> problem_pixels;
  for (const auto& c : cases) {
    scenario_model m;
    const std::string page =
        page_of(line_, c.train, "run" + std::to_string(runs_) + ".html", m);
    const std::string dom = chromium(page, "--dump-dom");
    EXPECT_EQ(count(dom, "<g class=\"scheduled-point"), 7u);
    std::vector<std::string> unmet;
    const std::string head =
        "<g class=\"scheduled-point unmet\" data-station=\"";
    for (size_t at = dom.find(head); at != std::string::npos;
         at = dom.find(head, at + 1)) {
      const size_t from = at + head.size();
      unmet.push_back(dom.substr(from, dom.find('"', from) - from));
    }
    EXPECT_EQ(unmet, c.unmet);
    EXPECT_EQ(count(dom, "class=\"run-fastest\""), 1u + 6u);  // speed, legs
    EXPECT_NE(dom.find("id=\"running-note\""), std::string::npos);
    // Pixels of the problem colour (vermillion): the page shows no recorded
    // code, so only an unmet time has it on the screen.
    const std::string png = screenshot(page, page + ".png");
    problem_pixels.push_back(pixels_of_colour(png, "#D55E00"));
  }
  EXPECT_EQ(problem_pixels[0], 0) << "problem colour on the clean page";
  EXPECT_GT(problem_pixels[1], 20) << "no unmet marker on the screen";
}

// The texts of every `<tag ...>` element of `dom`, in order.
std::vector<std::string> texts_of(const std::string& dom,
                                  const std::string& tag) {
  std::vector<std::string> found;
  const std::string head = "<" + tag, tail = "</" + tag + ">";
  for (size_t at = dom.find(head); at != std::string::npos;
       at = dom.find(head, at + 1)) {
    const char after = dom[at + head.size()];
    if (after != '>' && after != ' ') continue;
    const size_t from = dom.find('>', at) + 1;
    found.push_back(dom.substr(from, dom.find(tail, from) - from));
  }
  return found;
}

// The page of the build's damaged pair in Italian, as Chromium parses it:
// `lang="it"`, Italian headings, table heads, legend and the codes'
// meanings, and every label and marker the English page has.
TEST_F(browser, the_italian_page_reads_in_italian) {
  std::string text = read_file(line_);
  text.insert(text.find("[fine]"), "pendenza,   200000,    3\r\n");
  write_file(dir_ / "it_line.txt", text);
  scenario_model m;
  m.percorso = build_percorso;
  m.treno = build_treno;
  compile_in_memory(m, 1, load_description(dir_ / "it_line.txt"),
                    load_description(train_));
  ASSERT_EQ(m.diagnostics.size(), 1u);
  const struct {
    translator tr;
    const char* lang;
    std::vector<std::string> headings;
    std::vector<const char*> words;
  } cases[] = {
      {translator(),
       "en",
       {"Plan", "Profiles", "Timetable", "Problems", "Legend"},
       {"<th>station</th>", "<th>meaning</th>", "speed limit in force"}},
      {translator::for_locale("it_IT.UTF-8"),
       "it",
       {"Tracciato", "Profili", "Orario", "Problemi", "Legenda"},
       {"<th>stazione</th>", "<th>significato</th>",
        "velocit\xC3\xA0 massima in vigore", "<caption>Record</caption>"}},
  };
  std::vector<std::string> doms;
  for (const auto& c : cases) {
    const std::string page = (dir_ / (std::string(c.lang) + ".html")).string();
    write_file(page, drawing::render_report(m, {"test"}, c.tr));
    const std::string dom = chromium(page, "--dump-dom");
    EXPECT_NE(dom.find("<html lang=\"" + std::string(c.lang) + "\">"),
              std::string::npos)
        << c.lang;
    EXPECT_EQ(texts_of(dom, "h2"), c.headings) << c.lang;
    for (const char* w : c.words) {
      EXPECT_NE(dom.find(w), std::string::npos) << c.lang << ": " << w;
    }
    EXPECT_NE(dom.find(describe(m.diagnostics[0], c.tr).meaning),
              std::string::npos)
        << c.lang;
    doms.push_back(dom);
  }
  for (const char* mark :
       {"<text class=\"station-label", "class=\"problem-marker",
        "<g class=\"scheduled-point", "class=\"timetable-row\"", "<li>"}) {
    EXPECT_EQ(count(doms[0], mark), count(doms[1], mark)) << mark;
    EXPECT_GT(count(doms[0], mark), 0u) << mark;
  }
}

}  // namespace
}  // namespace scenario
