#include "decoding/object_diff.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "shell/run.h"
#include "testing/compiled_scenarios.h"

namespace scenario {
namespace {

using lines = std::vector<std::string>;

// The fixture with every record kind, with one text replaced in the line
// or the train description.
struct edit {
  std::string line_from, line_to;
  std::string train_from, train_to;
};

std::string replaced(std::string text, const std::string& from,
                     const std::string& to) {
  if (from.empty()) return text;
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

scenario_model compiled(const edit& e = {}) {
  scenario_model m;
  m.percorso = "Valle";
  m.treno = "R 12";
  const std::string line =
      replaced(testing::every_kind_line(), e.line_from, e.line_to);
  const std::string train =
      replaced(testing::every_kind_train(), e.train_from, e.train_to);
  const int status =
      compile_in_memory(m, 1, {"line.txt", line, ""}, {"train.txt", train, ""});
  EXPECT_EQ(status, exit_clean);
  for (const diagnostic& d : m.diagnostics) {
    ADD_FAILURE() << d.file << ":" << d.line << ": error " << d.codice;
  }
  return m;
}

lines texts(const std::vector<object_change>& changes) {
  lines out;
  for (const object_change& c : changes) out.push_back(c.text);
  return out;
}

const char* const signal_1000 =
    "segnale,    1000,   1, 4, 1,  0, 0,    0,  0,0,0, 0";

// Each edit of a description is one line in railway terms, and every cell
// and entry it changed is explained by that line (nothing is left for the
// cell level unless --cells asks for it).
TEST(diff_objects, each_object_change_is_one_line) {
  struct example {
    const char* what;
    edit e;
    lines want;
  };
  const example examples[] = {
      {"signal moved",
       {"", "", signal_1000,
        "segnale,    1200,   1, 4, 1,  0, 0,    0,  0,0,0, 0"},
       {"signal moved 1+000 → 1+200"}},
      {"signal aspect",
       {"", "", "segnale,    7000,   2, 4, 1", "segnale,    7000,   2, 5, 1"},
       {"signal at 7+000: s1 4 → 5"}},
      {"signal removed",
       {"", "", signal_1000 + std::string("\r\n"), ""},
       {"signal removed at 1+000 (sx 1, s1 4, s2 1)"}},
      {"signal added",
       {"", "", signal_1000,
        std::string(signal_1000) +
            "\r\nsegnale,   18000,   1, 3, 0,  0, 0,    0,  0,0,0, 0"},
       {"signal added at 18+000 (sx 1, s1 3)"}},
      {"station moved",
       {"", "", "stazione,   10050, 26", "stazione,   10150, 26"},
       {"station BETA moved 10+050 → 10+150: zone 9+850 to 10+250 → 9+950 "
        "to 10+350"}},
      {"station renamed",
       {"", "", "0, BETA", "0, BETO"},
       {"station BETA at 10+050: name \"BETA\" → \"BETO\""}},
      {"station time, a name read as Windows-1252",
       {"", "", "7,44, ", "7,45, "},
       {"station CITTÀ at 16+000: time 07:44:00 → 07:45:00"}},
      {"tunnel moved",
       {"montagna,   8000,  8500,  12", "montagna,   8200,  8700,  12", "", ""},
       {"tunnel moved 8+000 → 8+200: end 8+500 → 8+700"}},
      {"tunnel kind",
       {"montagna,   8000,  8500,  12", "montagna,   8000,  8500,  13", "", ""},
       {"tunnel at 8+000: kind 2 → 3"}},
      {"speed board",
       {"2050,  100,  120,  120", "2050,  100,  110,  120", "", ""},
       {"speed board at 2+050: b 120|0 → 110|0"}},
      {"direction board, and the tunnel it names",
       {"(PROVA)", "(PROVE)", "", ""},
       {"tunnel PROVA at 4+000: name \"PROVA\" → \"PROVE\"",
        "direction board at 3+950: text \"(GALLERIA)(PROVA)(m.1000)\" → "
        "\"(GALLERIA)(PROVE)(m.1000)\""}},
      {"slowdown speed",
       {"", "", "rallentamento,  12000,  60", "rallentamento,  12000,  50"},
       {"slowdown at 12+000: speed 60 km/h → 50 km/h"}},
      {"speed point",
       {"", "", "abbattimento,   2500,   60", "abbattimento,   2500,   50"},
       {"speed point at 2+500: speed 60 km/h → 50 km/h"}},
      {"limit moved",
       {"", "", "velocita,   1000,    100", "velocita,   1500,    100"},
       {"limit 100 km/h now starts at 1+500, was 1+000"}},
      {"limit changed",
       {"", "", "velocita,   0,    30", "velocita,   0,    40"},
       {"limit from 0+000 now 40 km/h, was 30 km/h"}},
      {"gradient changed",
       {"pendenza,   6000,    -3", "pendenza,   6000,    -4", "", ""},
       {"gradient from 6+000 now -4, was -3"}},
      {"adhesion moved",
       {"", "", "aderenza,   9000,    80", "aderenza,   9500,    80"},
       {"adhesion 80 now starts at 9+500, was 9+000"}},
      {"cars",
       {"", "", "numero vetture,    7", "numero vetture,    8"},
       {"cars 7 → 8"}},
      {"clock",
       {"", "", "orologio,    7   5   30", "orologio,    7   6   30"},
       {"clock 07:05:30 → 07:06:30"}},
  };
  const scenario_model before = compiled();
  for (const example& x : examples) {
    SCOPED_TRACE(x.what);
    const scenario_model after = compiled(x.e);
    const scenario_diff d =
        diff_in_objects(before, after, {}, false, translator());
    EXPECT_EQ(texts(d.objects), x.want);
    EXPECT_EQ(d.cells, lines{});
    // The cell level is still there when asked for.
    EXPECT_FALSE(
        diff_in_objects(before, after, {}, true, translator()).cells.empty());
  }
}

TEST(diff_objects, identical_scenarios_have_no_object_change) {
  const scenario_diff d =
      diff_in_objects(compiled(), compiled(), {}, true, translator());
  EXPECT_TRUE(d.same());
}

// A moved slowdown takes along the speed points the post-processing
// placed around it: one line, and no cell left unexplained. A speed point
// written in the description stays its own line.
TEST(diff_objects, a_moved_slowdown_is_one_line_with_its_speed_points) {
  const scenario_model before = compiled();
  scenario_diff d =
      diff_in_objects(before,
                      compiled({"", "", "rallentamento,  12000,  60",
                                "rallentamento,  12500,  60"}),
                      {}, false, translator());
  EXPECT_EQ(texts(d.objects),
            lines{"slowdown moved 12+000 → 12+500: end 13+000 → 13+500, "
                  "warning 10+800 → 11+300"});
  EXPECT_EQ(d.cells, lines{});

  // Moved, and a speed point written at its old start.
  edit both{"", "", "abbattimento,   3000,   0",
            "abbattimento,   3000,   0\r\nabbattimento,   12000,   50"};
  scenario_model after;
  after.percorso = "Valle";
  after.treno = "R 12";
  ASSERT_EQ(
      compile_in_memory(
          after, 1, {"line.txt", testing::every_kind_line(), ""},
          {"train.txt",
           replaced(replaced(testing::every_kind_train(), both.train_from,
                             both.train_to),
                    "rallentamento,  12000,  60", "rallentamento,  12500,  60"),
           ""}),
      exit_clean);
  d = diff_in_objects(before, after, {}, false, translator());
  EXPECT_EQ(texts(d.objects),
            (lines{"slowdown moved 12+000 → 12+500: end 13+000 → 13+500, "
                   "warning 10+800 → 11+300",
                   "speed point added at 12+000 (speed 50 km/h)"}));
}

// A changed curve turns the rest of the plan: one line with the stretch
// and the largest distance between the two points of a metre.
TEST(diff_objects, the_plan_is_one_line_with_its_stretch_and_distance) {
  const scenario_diff d = diff_in_objects(
      compiled(),
      compiled({"curvad2,  100,  200", "curvad2,  100,  300", "", ""}), {},
      false, translator());
  ASSERT_EQ(d.objects.size(), 1u) << ::testing::PrintToString(texts(d.objects));
  const std::string& l = d.objects[0].text;
  EXPECT_TRUE(l.starts_with("the plan differs from 0+301 to 26+998, at most "))
      << l;
  EXPECT_TRUE(l.ends_with(" m")) << l;
  EXPECT_EQ(d.cells, lines{});
}

// Objects are paired by nearest place: two moved signals are two moves,
// not removals and additions; one too far away is removed and added.
TEST(diff_objects, pairs_are_the_nearest_within_reach) {
  scenario_model a;
  a.celle.resize(400);
  scenario_model b = a;
  const auto put_signal = [](scenario_model& m, int64_t cell, int16_t dato1) {
    m.celle[cell].tipo = tipo_cella::segnale;
    m.celle[cell].dato1 = dato1;
  };
  put_signal(a, 21, 40);
  put_signal(a, 61, 40);
  put_signal(a, 301, 40);
  put_signal(b, 25, 40);
  put_signal(b, 65, 50);
  put_signal(b, 361, 40);
  EXPECT_EQ(texts(diff_objects(a, b).objects),
            (lines{
                "signal moved 1+000 → 1+200",
                "signal moved 3+000 → 3+200: s1 4 → 5",
                "signal removed at 15+000 (s1 4)",
                "signal added at 18+000 (s1 4)",
            }));
  EXPECT_EQ(texts(diff_objects(a, b, {.move_reach_m = 5000}).objects),
            (lines{
                "signal moved 1+000 → 1+200",
                "signal moved 3+000 → 3+200: s1 4 → 5",
                "signal moved 15+000 → 18+000",
            }));
}

// A cell change that no object explains stays on the cell level.
TEST(diff_objects, unexplained_cell_changes_are_still_listed) {
  scenario_model a = compiled();
  scenario_model b = a;
  b.celle[100].dato3 = 7;  // an empty cell: no object reads dato3 there
  const scenario_diff d = diff_in_objects(a, b, {}, false, translator());
  EXPECT_EQ(texts(d.objects), lines{});
  EXPECT_EQ(d.cells, lines{"cell 100 (5+000): dato3 0 → 7"});
}

TEST(write_diff_json, both_levels_parse) {
  const scenario_model before = compiled();
  const scenario_model after = compiled({"", "", "0, BETA", "0, B\xC8TA"});
  std::ostringstream out;
  write_diff_json(diff_in_objects(before, after, {}, true, translator()), out);
  const nlohmann::json j = nlohmann::json::parse(out.str());
  EXPECT_EQ(j["same"], false);
  ASSERT_EQ(j["objects"].size(), 1u) << j.dump();
  const nlohmann::json& o = j["objects"][0];
  EXPECT_EQ(o["kind"], "station");
  EXPECT_EQ(o["change"], "changed");
  EXPECT_EQ(o["name"], "BETA");
  EXPECT_EQ(o["from_m"], 10050);
  EXPECT_EQ(o["to_m"], 10050);
  ASSERT_EQ(o["fields"].size(), 1u);
  EXPECT_EQ(o["fields"][0]["field"], "name");
  EXPECT_EQ(o["fields"][0]["old"], "\"BETA\"");
  EXPECT_EQ(o["fields"][0]["new"], "\"BÈTA\"");
  EXPECT_EQ(o["text"], "station BETA at 10+050: name \"BETA\" → \"BÈTA\"");
  ASSERT_EQ(j["cells"].size(), 1u) << j.dump();
  EXPECT_EQ(j["cells"][0], "entry 2 (station BETA): nome \"BETA\" → \"BÈTA\"");

  // An added object has no old position and no old values.
  std::ostringstream added;
  write_diff_json(
      diff_in_objects(before,
                      compiled({"", "", "abbattimento,   3000,   0",
                                "abbattimento,   3000,   0\r\nabbattimento,   "
                                "5000,   70"}),
                      {}, true, translator()),
      added);
  const nlohmann::json k = nlohmann::json::parse(added.str());
  ASSERT_EQ(k["objects"].size(), 1u) << k.dump();
  EXPECT_EQ(k["objects"][0]["change"], "added");
  EXPECT_TRUE(k["objects"][0]["from_m"].is_null());
  EXPECT_EQ(k["objects"][0]["to_m"], 5000);
  EXPECT_TRUE(k["objects"][0]["fields"][0]["old"].is_null());
  EXPECT_EQ(k["objects"][0]["fields"][0]["new"], "70 km/h");
}

}  // namespace
}  // namespace scenario
