// One railway fact per small scenario, told alike by every tool that shows
// it: the report's page, `inspect --format json`, `diff` against a copy
// without the object, `timing --format json` and a hover of the language
// server. Each row is one rule of the railway model.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "compiler/fixtures/descriptions.h"
#include "editing/document.h"
#include "editing/pairs.h"
#include "output/binary_files.h"
#include "shell/run.h"
#include "testing/lsp_client.h"
#include "testing/lsp_fixture.h"
#include "testing/process.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using nlohmann::json;
using testing::process_result;
using testing::temp_dir;

// A 20 km line with one tunnel from 4000 to 5000 m and nothing announcing
// it, and a train from ALFA (a stop with a dwell) to CITTA; the stations of
// a fact go between the two, its other records after them.
std::vector<std::string> base_line() {
  return {"pendenza,   0,    0", "montagna,   4000,  5000,  11"};
}
std::vector<std::string> base_train(
    const std::vector<std::string>& extra = {}) {
  std::vector<std::string> train = {
      "percentuale massa frenata,    100",
      "numero vetture,    7",
      "sabbia,    0",
      "orologio,    7   5   30 ",
      "aderenza,   0,    100",
      "velocita,   0,    100",
      "stazione,     200, 12,  700,  1, 1, 1,  4,1,0,  2,1,1,    1,   7, 5, "
      "0, ALFA",
  };
  for (const std::string& r : extra) {
    if (r.starts_with("stazione")) train.push_back(r);
  }
  train.push_back(
      "stazione,   16000, 12,  700,  1, 1, 1,  4,1,0,  2,1,1,    0,   7,44, "
      "0, CITTA");
  for (const std::string& r : extra) {
    if (!r.starts_with("stazione")) train.push_back(r);
  }
  return train;
}

// Where the hover asks: the record of `file` ("line" or "train") whose
// line starts with `prefix`, and what its answer holds or lacks.
struct hover_fact {
  std::string file;
  std::string prefix;
  std::string text;
  bool present = true;
};

struct fact {
  const char* what;
  std::vector<std::string> line_records;   // added to the base line
  std::vector<std::string> train_records;  // added to the base train
  // Hand-made cells (a file no description gives): applied to the
  // compiled scenario with the object, and to the copy without it.
  std::function<void(scenario_model&)> with_cells;
  std::function<void(scenario_model&)> without_cells;
  std::string report_title;  // a title the page carries, up to its end
  std::string report_title_holds;
  std::vector<std::pair<std::string, json>> inspect;  // pointer, value
  std::string diff_kind;  // the object kind `diff` reports
  std::string diff_text;  // empty: no object of that kind differs
  std::vector<std::pair<std::string, json>> timing;  // none: nothing timed
  std::optional<hover_fact> hover;                   // none: no record
};

struct compiled_pair {
  temp_dir dir;
  std::string line, train, with, without;
};

void compile_into(const std::string& line, const std::string& train,
                  const std::function<void(scenario_model&)>& edit,
                  const std::filesystem::path& out) {
  scenario_model m;
  m.percorso = "Valle";
  m.treno = "R 12";
  ASSERT_EQ(
      compile_in_memory(m, 0, {"line.txt", line, ""}, {"train.txt", train, ""}),
      exit_clean);
  if (edit) edit(m);
  std::filesystem::create_directories(out);
  file_failure failure;
  ASSERT_TRUE(write_binary_files(m, out, &failure));
}

void prepare(const fact& f, compiled_pair& p) {
  std::vector<std::string> line = base_line();
  line.insert(line.end(), f.line_records.begin(), f.line_records.end());
  const std::vector<std::string> train = base_train(f.train_records);
  const std::string line_text = testing::line_description(20000, line);
  const std::string train_text = testing::train_description(train);
  p.line = (p.dir / "line.txt").string();
  p.train = (p.dir / "train.txt").string();
  testing::write_file(p.line, line_text);
  testing::write_file(p.train, train_text);
  testing::write_file(
      p.dir / editing::pairs_file_name,
      R"({"pairs": [{"line": "line.txt", "train": "train.txt"}]})");
  p.with = (p.dir / "with").string();
  p.without = (p.dir / "without").string();
  compile_into(line_text, train_text, f.with_cells, p.with);
  compile_into(testing::line_description(20000, base_line()),
               testing::train_description(base_train()),
               f.without_cells ? f.without_cells : f.with_cells, p.without);
}

// The title that starts with `start`, up to the end of its element.
std::string title_from(const std::string& page, const std::string& start) {
  const size_t at = page.find(start);
  if (at == std::string::npos) return {};
  return page.substr(at, page.find('<', at) - at);
}

void expect_report(const fact& f, const compiled_pair& p) {
  const std::string page = (p.dir / "page.html").string();
  const process_result r = testing::run_tool({"report", p.with, "-o", page});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string title =
      title_from(testing::read_file(page), f.report_title);
  ASSERT_FALSE(title.empty()) << f.report_title;
  EXPECT_NE(title.find(f.report_title_holds), std::string::npos) << title;
}

void expect_inspect(const fact& f, const compiled_pair& p) {
  const process_result r =
      testing::run_tool({"inspect", p.with, "--format", "json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const json objects = json::parse(r.out)["objects"];
  for (const auto& [pointer, value] : f.inspect) {
    EXPECT_EQ(objects.value(json::json_pointer(pointer), json()), value)
        << pointer;
  }
}

void expect_diff(const fact& f, const compiled_pair& p) {
  const process_result r =
      testing::run_tool({"diff", p.with, p.without, "--format", "json"});
  ASSERT_EQ(r.status, 1) << r.err;
  std::vector<std::string> texts;
  const json doc = json::parse(r.out);
  for (const json& o : doc["objects"]) {
    if (o["kind"] == f.diff_kind) texts.push_back(o["text"].get<std::string>());
  }
  if (f.diff_text.empty()) {
    EXPECT_TRUE(texts.empty()) << r.out;
    return;
  }
  ASSERT_EQ(texts.size(), 1u) << f.diff_kind << "\n" << r.out;
  EXPECT_NE(texts[0].find(f.diff_text), std::string::npos) << texts[0];
}

void expect_timing(const fact& f, const compiled_pair& p) {
  if (f.timing.empty()) return;
  const process_result r =
      testing::run_tool({"timing", p.line, p.train, "--format", "json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const json doc = json::parse(r.out);
  for (const auto& [pointer, value] : f.timing) {
    EXPECT_EQ(doc.value(json::json_pointer(pointer), json()), value) << pointer;
  }
}

void expect_hover(const fact& f, const compiled_pair& p) {
  if (!f.hover) return;
  const hover_fact& h = *f.hover;
  const std::string path = h.file == "line" ? p.line : p.train;
  const std::string text = testing::read_file(path);
  const int line = testing::line_starting(text, h.prefix);
  ASSERT_GE(line, 0) << h.prefix;
  testing::lsp_client c(SCENARIO_TOOL_PATH);
  c.initialize({{"rootUri", editing::uri_of_path(p.dir.path().string())}});
  const std::string uri = editing::uri_of_path(path);
  testing::open_document(c, uri, text);
  c.request(2, "textDocument/hover",
            {{"textDocument", {{"uri", uri}}},
             {"position", {{"line", line}, {"character", 2}}}});
  const std::string answer = c.answer(2)["result"].dump();
  EXPECT_EQ(answer.find(h.text) != std::string::npos, h.present) << answer;
  c.request(3, "shutdown", nullptr);
  c.answer(3);
  c.send(json{{"jsonrpc", "2.0"}, {"method", "exit"}});
  EXPECT_EQ(c.wait(), 0);
}

// A slowdown whose start and end marks are gone: its warning stands alone.
void clear_slowdown_start_and_end(scenario_model& m) {
  for (cella& c : m.celle) {
    if (c.tipo == tipo_cella::inizio_rallentamento ||
        c.tipo == tipo_cella::fine_rallentamento) {
      c.tipo = c.dato1 = c.dato2 = c.dato3 = 0;
    }
  }
}

void clear_slowdown(scenario_model& m) {
  clear_slowdown_start_and_end(m);
  for (cella& c : m.celle) {
    if (c.tipo == tipo_cella::avviso_rallentamento ||
        c.tipo == tipo_cella::preavviso_rallentamento) {
      c.tipo = c.dato1 = c.dato2 = c.dato3 = 0;
    }
  }
}

const std::string named_tunnel = "tunnel PROVA from 4+000";
const std::string unnamed_tunnel = "tunnel from 4+000";

const fact facts[] = {
    {"a tunnel board 50 m before the entrance names the tunnel",
     {"cartello_indicatore,  3950,   (GALLERIA)(PROVA)(m.1000)"},
     {},
     nullptr,
     nullptr,
     named_tunnel,
     "1000 m",
     {{"/tunnels/0/name", "PROVA"}, {"/tunnels/0/board/metres", 3950}},
     "tunnel",
     "PROVA",
     {},
     hover_fact{"line", "montagna,   4000", "named PROVA"}},
    {"a tunnel board 300 m before the entrance names nothing",
     {"cartello_indicatore,  3700,   (GALLERIA)(PROVA)(m.1000)"},
     {},
     nullptr,
     nullptr,
     unnamed_tunnel,
     "1000 m",
     {{"/tunnels/0/name", ""}, {"/tunnels/0/board", nullptr}},
     "tunnel",
     "",
     {},
     hover_fact{"line", "montagna,   4000", "named", false}},
    {"a board without (GALLERIA) names no tunnel, however near",
     {"cartello_indicatore,  3950,   (BIVIO)(CORNALBA)"},
     {},
     nullptr,
     nullptr,
     unnamed_tunnel,
     "1000 m",
     {{"/tunnels/0/name", ""}, {"/direction_boards/0/metres", 3950}},
     "tunnel",
     "",
     {},
     hover_fact{"line", "montagna,   4000", "named", false}},
    {"a timed station without a dwell between the ends is passed",
     {},
     {"stazione,   10050, 12,  400,  1, 1, 1,  4,1,0,  2,1,1,    0,   7,20, "
      "0, BETA"},
     nullptr,
     nullptr,
     "BETA at 10+050",
     ", passed",
     {{"/stations/1/name", "BETA"},
      {"/stations/1/stop", false},
      {"/stations/2/stop", true}},
     "station",
     "stop pass",
     {{"/stations/1/name", "BETA"},
      {"/stations/1/stop", false},
      {"/stations/2/stop", true}},
     hover_fact{"train", "stazione,   10050", "passed"}},
    {"the terminus without a dwell is a stop",
     {},
     {},
     nullptr,
     nullptr,
     "CITTA at 16+000",
     ", stop at 7:44",
     {{"/stations/1/name", "CITTA"}, {"/stations/1/stop", true}},
     "station",
     "",  // the copy is the same scenario
     {{"/stations/1/name", "CITTA"}, {"/stations/1/stop", true}},
     hover_fact{"train", "stazione,   16000", "the train stops"}},
    {"a speed board with dato4 = 12: one stripe left, two right",
     {"indicatori_vmax,  2050,  100,  120,  120,  1,  ,  ,  ,  2"},
     {},
     nullptr,
     nullptr,
     "speed board at 2+050",
     "stripes left 1 right 2",
     {{"/speed_boards/0/left/stripes", 1},
      {"/speed_boards/0/right/stripes", 2},
      {"/speed_boards/0/left/speeds_kmh", json::array({100, 120, 120})}},
     "speed board",
     "stripes 1|2",
     {},
     hover_fact{"line", "indicatori_vmax",
                "stripes 1; right: 0/0/0 km/h, "
                "stripes 2"}},
    {"a slowdown warning without a start carries the slowdown's speed",
     {},
     {"rallentamento,  12000,  60,  1000,  1,  1,  0"},
     clear_slowdown_start_and_end,
     clear_slowdown,
     "slowdown 60 km/h",
     "warning at 10+800",
     {{"/slowdowns/0/speed_kmh", 60},
      {"/slowdowns/0/warning/speed_kmh", 60},
      {"/slowdowns/0/warning/metres", 10800},
      {"/slowdowns/0/start", nullptr}},
     "slowdown",
     "speed 60 km/h",
     {},
     std::nullopt},
    {"a signal at 8830 m claims cell 178, as the compiler rounds",
     {},
     {"segnale,    8830,   1, 4, 1,  0, 0,    0,  0,0,0, 0"},
     nullptr,
     nullptr,
     "signal at 8+850",
     "left kind 1",
     {{"/signals/0/cell", 178}, {"/signals/0/metres", 8850}},
     "signal",
     "removed at 8+850",
     {},
     hover_fact{"train", "segnale,    8830", "(cell 178)"}},
};

class railway_facts : public ::testing::TestWithParam<fact> {};

TEST_P(railway_facts, every_tool_tells_the_same) {
  const fact& f = GetParam();
  SCOPED_TRACE(f.what);
  compiled_pair p;
  prepare(f, p);
  expect_report(f, p);
  expect_inspect(f, p);
  if (f.diff_text.empty() && f.line_records.empty() &&
      f.train_records.empty()) {
    // Nothing to take away: the copy is the same scenario.
    EXPECT_EQ(testing::run_tool({"diff", p.with, p.without}).status, 0);
  } else {
    expect_diff(f, p);
  }
  expect_timing(f, p);
  expect_hover(f, p);
}

INSTANTIATE_TEST_SUITE_P(one_fact_each, railway_facts,
                         ::testing::ValuesIn(facts));

}  // namespace
}  // namespace scenario
