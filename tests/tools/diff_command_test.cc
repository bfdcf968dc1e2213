// `scenario diff` as an author uses it: two folders compiled by `scenario
// compile`, the changes on standard output, statuses like diff's.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "testing/process.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::process_result;
using testing::read_file;
using testing::temp_dir;
using testing::write_file;

process_result tool(std::vector<std::string> args) {
  return testing::run_tool(std::move(args));
}

const char* const line_text =
    "[generale]\r\n"
    "lunghezza percorso,    3000\r\n"
    "ripetizione segnali 4 codici,    0    ,0\r\n"
    "[curve]\r\n"
    "curvad2,  100,  200\r\n"
    "[fine]\r\n";

std::string train_text(const std::string& signal) {
  return "[generale]\r\n"
         "numero vetture,    7\r\n"
         "[vel_limite]\r\n"
         "velocita,   0,    30\r\n"
         "[segnali]\r\n" +
         signal + "\r\n[fine]\r\n";
}

const char* const signal_at_1000 =
    "segnale,    1000,   1, 4, 1,  0, 0,    0,  0,0,0, 0";

// Two compiled folders, "a" and "b", of the same line.
struct two_scenarios {
  temp_dir dir;
  std::string a = (dir / "a").string();
  std::string b = (dir / "b").string();

  two_scenarios(const std::string& signal_a, const std::string& signal_b,
                std::vector<std::string> extra = {}) {
    compile(a, signal_a, extra);
    compile(b, signal_b, extra);
  }
  void compile(const std::string& out, const std::string& signal,
               const std::vector<std::string>& extra) {
    const std::string line = (dir / "line.txt").string();
    const std::string train = (dir / "train.txt").string();
    write_file(line, line_text);
    write_file(train, train_text(signal));
    std::vector<std::string> args = {"compile", line, train, "-o", out};
    args.insert(args.end(), extra.begin(), extra.end());
    const process_result r = tool(args);
    ASSERT_EQ(r.status, 0) << r.err;
  }
  process_result diff(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"diff", a, b};
    args.insert(args.end(), extra.begin(), extra.end());
    return tool(args);
  }
};

TEST(diff_command, identical_scenarios_exit_0_and_print_nothing) {
  two_scenarios s(signal_at_1000, signal_at_1000);
  const process_result r = s.diff();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

// The train descriptions differ in one signal, moved from 1000 m to
// 1500 m: one line for the signal; with --cells, then exactly its two cells
// and their approach codes, nothing else.
TEST(diff_command, one_moved_signal_is_exactly_what_differs) {
  two_scenarios s(signal_at_1000,
                  "segnale,    1500,   1, 4, 1,  0, 0,    0,  0,0,0, 0");
  process_result r = s.diff();
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "signal moved 1+000 → 1+500\n");

  r = s.diff({"--cells"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "signal moved 1+000 → 1+500\n"
            "cell 13 (0+650): avviso 34 → 0\n"
            "cell 15 (0+750): avviso 33 → 0\n"
            "cell 17 (0+850): avviso 32 → 0\n"
            "cell 19 (0+950): avviso 31 → 0\n"
            "cell 21 (1+000): tipo 1 → 0, dato1 40 → 0, dato2 10 → 0, "
            "dato4 3 → 0\n"
            "cell 23 (1+150): avviso 0 → 34\n"
            "cell 25 (1+250): avviso 0 → 33\n"
            "cell 27 (1+350): avviso 0 → 32\n"
            "cell 29 (1+450): avviso 0 → 31\n"
            "cell 31 (1+500): tipo 0 → 1, dato1 0 → 40, dato2 0 → 10, "
            "dato4 0 → 3\n");
}

// For scripts: both levels in one JSON object on standard output, with the
// same statuses.
TEST(diff_command, json_gives_objects_and_cells) {
  two_scenarios s(signal_at_1000,
                  "segnale,    1500,   1, 4, 1,  0, 0,    0,  0,0,0, 0");
  process_result r = s.diff({"--format", "json"});
  EXPECT_EQ(r.status, 1) << r.err;
  const nlohmann::json j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["same"], false);
  ASSERT_EQ(j["objects"].size(), 1u) << r.out;
  EXPECT_EQ(j["objects"][0]["kind"], "signal");
  EXPECT_EQ(j["objects"][0]["change"], "moved");
  EXPECT_EQ(j["objects"][0]["from_m"], 1000);
  EXPECT_EQ(j["objects"][0]["to_m"], 1500);
  EXPECT_EQ(j["objects"][0]["text"], "signal moved 1+000 → 1+500");
  ASSERT_EQ(j["cells"].size(), 10u) << r.out;
  EXPECT_EQ(j["cells"][4],
            "cell 21 (1+000): tipo 1 → 0, dato1 40 → 0, dato2 10 → 0, "
            "dato4 3 → 0");

  r = tool({"diff", s.a, s.a, "--format", "json"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(
      nlohmann::json::parse(r.out),
      nlohmann::json::parse(R"({"same": true, "objects": [], "cells": []})"));

  r = s.diff({"--format", "yaml"});
  EXPECT_EQ(r.status, 64);
  EXPECT_EQ(r.out, "");
}

TEST(diff_command, names_pick_the_scenario_and_a_missing_plan_is_said) {
  two_scenarios s(signal_at_1000, signal_at_1000,
                  {"--route", "Valle", "--train", "R 12"});
  EXPECT_EQ(s.diff({"--route", "Valle", "--train", "R 12"}).status, 0);
  std::filesystem::remove(s.b + "/Valle_linea.dat");
  const process_result r = s.diff();
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out, "the plan is gone\n");
  EXPECT_EQ(s.diff({"--cells"}).out,
            "the plan is gone\nplan: 10001 metres → none\n");
}

// A scenario that cannot be read ends the comparison with the reader's
// message and status; bad arguments are status 64.
TEST(diff_command, unreadable_inputs_give_their_message_and_status) {
  two_scenarios s(signal_at_1000, signal_at_1000);
  const std::string cells_b = s.b + "/Tarvena_Olmisco_IR 4518.dat";
  const std::string bytes = read_file(cells_b);
  write_file(cells_b, bytes.substr(0, bytes.size() - 1));
  process_result r = s.diff();
  EXPECT_EQ(r.status, 65);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(r.err.starts_with(cells_b + ": byte ")) << r.err;

  std::filesystem::remove(cells_b);
  r = s.diff();
  EXPECT_EQ(r.status, 66);
  EXPECT_NE(r.err.find(cells_b), std::string::npos) << r.err;

  r = tool({"diff", s.a, (s.dir / "nowhere").string()});
  EXPECT_EQ(r.status, 66);
  EXPECT_NE(r.err.find("nowhere"), std::string::npos) << r.err;

  r = tool({"diff", s.a});
  EXPECT_EQ(r.status, 64);
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace scenario
