// `scenario inspect` as an author uses it: the summary of the build's
// scenario, the JSON and CSV forms of every cell and plan element, finding
// the scenario of a folder, and the statuses of its errors.
#include "decoding/readout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "decoding/decoder.h"
#include "model/kilometres.h"
#include "shell/run.h"
#include "shell/window.h"
#include "testing/compiled_scenarios.h"
#include "testing/process.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::process_result;
using testing::read_file;
using testing::temp_dir;
using testing::write_file;

namespace fs = std::filesystem;

process_result inspect(std::vector<std::string> args) {
  args.insert(args.begin(), "inspect");
  args.insert(args.begin(), SCENARIO_TOOL_PATH);
  return testing::run_program(args, /*without_display=*/true);
}

// The build's scenario, written once by a whole run.
class build_scenario : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new temp_dir;
    auto console = make_console_window();
    std::ostringstream err;
    ASSERT_EQ(run_scenario(dir_->path(), *console, err, translator()),
              exit_clean);
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static std::string dir() { return dir_->path().string(); }

  static temp_dir* dir_;
};
temp_dir* build_scenario::dir_ = nullptr;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(build_scenario, summary_lists_the_twenty_stations_with_times) {
  const process_result r = inspect({dir()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // Name, time (stops only) as the timetable gives them.
  const std::vector<std::pair<std::string, std::string>> want = {
      {"TARVENA", "07:05:00"},  {"CASALE TARVENESE", ""},
      {"BRENOLA", "07:14:00"},  {"ROVIGNANO", ""},
      {"LUVEA", "07:30:00"},    {"FOSSALTA", ""},
      {"BIVIO CORNALBA", ""},   {"SAVIGNE", "07:41:00"},
      {"CASTAGNEDO", ""},       {"ROCCAFERRA", "07:54:00"},
      {"PIEVE DI LUSCO", ""},   {"PRAVELLO", ""},
      {"ALBAREDO", "08:12:00"}, {"MARNE-S. ROCCO", ""},
      {"VESCOL", ""},           {"S. LORIANDO", ""},
      {"CERVAGLIA", ""},        {"PONTE ORSARA", ""},
      {"CAMPAGNOLA", ""},       {"OLMISCO", "08:44:00"},
  };
  const std::vector<std::string> lines = lines_of(r.out);
  const auto heading = std::find(lines.begin(), lines.end(), "Stations (20):");
  ASSERT_NE(heading, lines.end()) << r.out;
  ASSERT_GE(lines.end() - heading, 22);
  for (size_t k = 0; k < want.size(); ++k) {
    SCOPED_TRACE(want[k].first);
    const std::string& row = *(heading + 2 + static_cast<long>(k));
    const std::string stop = want[k].second.empty() ? "pass" : "stop";
    const std::string time =
        want[k].second.empty() ? "-       " : want[k].second;
    EXPECT_EQ(row.substr(row.size() - want[k].first.size()), want[k].first)
        << row;
    EXPECT_NE(row.find("  " + time + "  " + stop + "  " + want[k].first),
              std::string::npos)
        << row;
  }
  // The first and the last station in full: position, kind and zone.
  EXPECT_EQ(*(heading + 2),
            "      1     0+200    12  -0+150 to 0+600         07:05:00  stop  "
            "TARVENA");
  EXPECT_EQ(*(heading + 21),
            "     20   101+200     4  100+850 to 101+600      08:44:00  stop  "
            "OLMISCO");
  EXPECT_NE(r.out.find("Line: 99500 m (0+000 to 99+500), extended to 106500 "
                       "m; cells 0 to 2130 of 50 m\n"),
            std::string::npos);
  EXPECT_NE(r.out.find("    49+750 to   57+750   8000 m  kind 1  DEL "
                       "PRAVELLO\n"),
            std::string::npos);
}

// The JSON holds every cell and plan element with the decoded values; the
// plan's kinds survive as integer, non-integer number and null.
TEST_F(build_scenario, json_holds_every_cell_and_plan_element) {
  const process_result r = inspect({dir(), "--format", "json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json j = nlohmann::json::parse(r.out);
  scenario_model m;
  ASSERT_TRUE(decode_scenario(dir(), build_percorso, build_treno, m).ok());

  EXPECT_EQ(j["percorso"], build_percorso);
  EXPECT_EQ(j["treno"], build_treno);
  EXPECT_EQ(j["lunghezza"], 99500);
  EXPECT_EQ(j["numero_celle"], 2130);
  ASSERT_EQ(j["voci"].size(), 87u);
  EXPECT_EQ(j["voci"][5]["nome"], "LUVEA");
  EXPECT_EQ(j["voci"][5]["orario"], 27000);
  ASSERT_EQ(j["celle"].size(), 2131u);
  int64_t cells_differing = 0;
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const nlohmann::json& c = j["celle"][i];
    const cella& want = m.celle[i];
    cella got;
    got.tipo = c["tipo"];
    got.dato1 = c["dato1"];
    got.dato2 = c["dato2"];
    got.dato3 = c["dato3"];
    got.dato4 = c["dato4"];
    got.tempo = c["tempo"];
    got.avviso = c["avviso"];
    got.montagna = c["montagna"];
    got.velocita_limite = c["velocita_limite"];
    got.pendenza = c["pendenza"];
    got.aderenza = c["aderenza"];
    if (!(got == want) || c.size() != 11) ++cells_differing;
  }
  EXPECT_EQ(cells_differing, 0);

  const nlohmann::json& plan = j["tracciato"];
  int64_t elements_differing = 0;
  for (int coord = 0; coord < 2; ++coord) {
    const nlohmann::json& values = plan[coord == 0 ? "x" : "y"];
    ASSERT_EQ(values.size(), 106501u);
    for (int64_t metre = 0; metre < m.tracciato.size(); ++metre) {
      const nlohmann::json& e = values[metre];
      bool same = false;
      switch (m.tracciato.kind(metre, coord)) {
        case tracciato_t::genere::vuoto:
          same = e.is_null();
          break;
        case tracciato_t::genere::intero16:
          same = e.is_number_integer() &&
                 e.get<double>() == m.tracciato.value(metre, coord);
          break;
        case tracciato_t::genere::doppio:
          same = e.is_number_float() &&
                 e.get<double>() == m.tracciato.value(metre, coord);
          break;
      }
      if (!same) ++elements_differing;
    }
  }
  EXPECT_EQ(elements_differing, 0);
}

TEST_F(build_scenario, csv_has_a_named_header_and_one_row_per_cell) {
  const std::string header =
      "cella,metri,tipo,dato1,dato2,dato3,dato4,tempo,avviso,montagna,"
      "velocita_limite,pendenza,aderenza";
  process_result r = inspect({dir(), "--format", "csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 2132u);
  EXPECT_EQ(lines[0], header);
  // Cell 1 carries the marker and the checksum; cell 49 a signal, which
  // stands for (49 - 1) x 50 m.
  EXPECT_EQ(lines[2], "1,50,0,5121,2359,0,0,0,0,0,6,100,100");
  EXPECT_EQ(lines[50], "49,2400,1,40,10,0,3,0,0,0,19,100,100");

  r = inspect({dir(), "--format", "csv", "--plan"});
  ASSERT_EQ(r.status, 0) << r.err;
  lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 2132u + 2 + 106501);
  EXPECT_EQ(lines[0], header);
  EXPECT_EQ(lines[2132], "");
  EXPECT_EQ(lines[2133], "metre,x,y");
  EXPECT_EQ(lines[2134], "0,0,0");
  EXPECT_EQ(lines[2135], "1,0,1");
  EXPECT_EQ(lines.back(), "106500,,");
}

TEST_F(build_scenario, cells_option_names_every_field_of_the_chosen_cells) {
  const process_result r = inspect({dir(), "--cells", "2350-2450"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "  cell  position  tipo  dato1  dato2  dato3  dato4  tempo  "
            "avviso  montagna  velocita_limite  pendenza  aderenza\n"
            "    47     2+350     0      0      0      0      0      0      "
            "31         0               19       100       100\n"
            "    48     2+400     0      0      0      0      0      0       "
            "0         0               19       100       100\n"
            "    49     2+400     1     40     10      0      3      0       "
            "0         0               19       100       100\n");
}

TEST_F(build_scenario, bad_arguments_are_status_64) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{
           {dir(), "--cells", "500"},
           {dir(), "--cells", "900-100"},
           {dir(), "--cells", "a-b"},
           {dir(), "--plan"},
           {dir(), "--format", "xml"},
           {dir(), "--format", "json", "--cells", "0-100"},
       }) {
    SCOPED_TRACE(args.back());
    const process_result r = inspect(args);
    EXPECT_EQ(r.status, 64);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
  }
}

// A folder with one scenario needs no names, even when the route holds
// "_": the entries tell where the route ends.
TEST(inspect, finds_the_one_scenario_of_a_folder) {
  temp_dir dir;
  testing::write_every_kind(dir.path(), "Val_di_Sopra", "R_12");
  scenario_names names;
  decode_result r = find_scenario(dir.path(), {}, {}, names);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(names.percorso, "Val_di_Sopra");
  EXPECT_EQ(names.treno, "R_12");
  r = find_scenario(dir.path(), std::string("Val_di_Sopra"), {}, names);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(names.treno, "R_12");
  r = find_scenario(dir.path(), {}, std::string("R_12"), names);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(names.percorso, "Val_di_Sopra");

  // A second scenario: the folder must be told which.
  testing::write_every_kind(dir.path(), "Monte", "R 7", /*with_plan=*/false);
  process_result p = inspect({dir.path().string()});
  EXPECT_EQ(p.status, 64);
  EXPECT_EQ(p.err, dir.path().string() +
                       ": several scenarios (Monte_R 7.sim, Val_di_Sopra_R_12."
                       "sim): choose one with --route and --train\n");
  p = inspect({dir.path().string(), "--route", "Monte"});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_NE(p.out.find("Route Monte, train R 7\n"), std::string::npos);
  EXPECT_NE(p.out.find("\nPlan: none\n"), std::string::npos);
}

TEST(inspect, folder_errors_have_their_statuses) {
  temp_dir dir;
  const std::string empty = dir.path().string();
  process_result r = inspect({empty});
  EXPECT_EQ(r.status, 66);
  EXPECT_EQ(r.err, empty + ": no scenario: no file ROUTE_TRAIN.sim there\n");

  r = inspect({(dir / "nowhere").string(), "--route", "A", "--train", "B"});
  EXPECT_EQ(r.status, 66);
  EXPECT_NE(r.err.find("No such file or directory"), std::string::npos)
      << r.err;

  // A damaged file: its message and 65.
  testing::write_every_kind(dir.path(), "Valle", "R 12");
  const fs::path dat = dir / "Valle_R 12.dat";
  std::string bytes = read_file(dat);
  bytes.resize(bytes.size() - 1);
  write_file(dat, bytes);
  r = inspect({empty});
  EXPECT_EQ(r.status, 65);
  EXPECT_EQ(r.err, dat.string() + ": byte " + std::to_string(bytes.size()) +
                       ": expected 8115 bytes (cells 0 to 540 for a line of "
                       "20000 m), found end of file\n");
  EXPECT_EQ(r.out, "");

  // A file renamed: the names inside do not make up its name.
  fs::remove(dat);
  fs::rename(dir / "Valle_R 12.sim", dir / "Altro_R 12.sim");
  r = inspect({empty});
  EXPECT_EQ(r.status, 65);
  EXPECT_EQ(r.err.substr(0, r.err.find(": byte")),
            (dir / "Altro_R 12.sim").string());
  EXPECT_NE(r.err.find("expected route and train names that make up the file "
                       "name, found \"Valle\" and \"R 12\""),
            std::string::npos)
      << r.err;
}

// The summary of the fixture with every record kind, section by section.
TEST(inspect, summary_shows_every_record_kind_in_railway_terms) {
  scenario_model m;
  testing::compile_every_kind(m, "Valle", "R 12");
  std::ostringstream out;
  write_summary(m, out, translator());
  const std::string s = out.str();
  for (const char* want : {
           "Line: 20000 m (0+000 to 20+000), extended to 27000 m; cells 0 to "
           "540 of 50 m\n",
           "Train: 7 cars, braking mass 100 %, sand 0, clock 07:05:30\n",
           "      3    16+000     4  15+650 to 16+400        07:44:00  stop  "
           "CITT\xC3\x80\n",
           "      2    10+050    26  9+850 to 10+250         -         pass  "
           "BETA\n",
           "     7+000  cell 141    sx 2 dx 0  s 4 1 0  d 0 0 0  rapp 0  tempo "
           "101\n",
           "     4+000 to    5+000   1000 m  kind 1  PROVA\n",
           "     8+000 to    8+500    500 m  kind 2\n",
           "     3+950  entry 80  (GALLERIA)(PROVA)(m.1000)\n",
           "     2+050  100|0    120|0    120|0    stripes 0|0\n",
           "Slowdowns (1): start to end, speed, warning\n    12+000 to   "
           "13+000    60 km/h, f_tt 1, warning at 10+800 with approach "
           "marks\n\n",
           "     2+500  60 km/h\n",
           "     3+000  no speed\n    11+150  180 km/h\n",
           "      0+000 to     1+000  30 km/h\n",
           "      1+000 to    26+900  100 km/h\n",
           "      0+000 to     6+000  5\n",
           "      6+000 to    26+900  -3\n",
           "      0+000 to     9+000  100\n",
           "      9+000 to    26+900  80\n",
       }) {
    EXPECT_NE(s.find(want), std::string::npos) << want << "\nin\n" << s;
  }
}

TEST(inspect, names_are_windows_1252_shown_as_utf8) {
  // Names reach the JSON as UTF-8, escaped by the library.
  scenario_model m;
  testing::compile_every_kind(m, "Valle", "R 12", /*with_plan=*/false);
  std::ostringstream json;
  write_json(m, json);
  const nlohmann::json j = nlohmann::json::parse(json.str());
  EXPECT_EQ(j["voci"][3]["nome"], "CITT\xC3\x80");
  EXPECT_TRUE(j["tracciato"].is_null());
}

}  // namespace
}  // namespace scenario
