// `scenario check` as an author and an editor use it: every problem in one
// pass with its caret, the exit statuses, the warning switches, and the JSON
// and SARIF outputs (the SARIF checked by the format's reference validator).
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "checking/faulty_pair.h"
#include "testing/process.h"
#include "testing/sarif_validator.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using nlohmann::json;
using testing::process_result;
using testing::read_file;
using testing::temp_dir;
using testing::write_file;

process_result tool(std::vector<std::string> args) {
  return testing::run_tool(std::move(args));
}

// A clean pair but for one duplicated speed record (a warning only).
const char* const warned_line =
    "[generale]\r\n"
    "lunghezza percorso,    5000\r\n"
    "[curve]\r\n"
    "pendenza,   0,    0\r\n"
    "[fine]\r\n";
const char* const warned_train =
    "[generale]\r\n"
    "velocita,   0,    30\r\n"
    "velocita,   0,    30\r\n"
    "[fine]\r\n";

struct pair_on_disk {
  temp_dir dir;
  std::string line = (dir / "line.txt").string();
  std::string train = (dir / "train.txt").string();
  pair_on_disk(const char* line_text, const char* train_text) {
    write_file(line, line_text);
    write_file(train, train_text);
  }
};

TEST(check_command, lists_every_error_while_compile_stops_at_the_first) {
  pair_on_disk f(testing::faulty_line, testing::faulty_train);
  const process_result r = tool({"check", f.line, f.train});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  for (const std::string& want : {
           f.line + ":3:34: error 3: ",
           f.line + ":5:1: error 103: ",
           f.line + ":8:19: error 21: ",
           f.line + ":10:23: error 15: ",
           f.line + ":12:23: error 6: ",
           f.train + ":2:20: error 25: ",
           f.train + ":6:15: error 8: ",
           f.train + ":7:25: error 9: ",
           f.train + ":10:13: error 16: ",
       }) {
    EXPECT_NE(("\n" + r.err).find("\n" + want), std::string::npos)
        << want << r.err;
  }
  EXPECT_NE(r.err.find("(position 1+500, 1500 m)\n"
                       "   10 | segnale,    1500,   2, 4, 1,  0, 0,    0,  "
                       "0,0,0, 0\n"
                       "      |             ^~~~\n"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("\n9 errors, "), std::string::npos) << r.err;
  EXPECT_EQ(read_file(f.line), testing::faulty_line);

  const process_result c =
      tool({"compile", f.line, f.train, "-o", (f.dir / "out").string()});
  EXPECT_EQ(c.status, 1);
  EXPECT_EQ(c.err.rfind(f.line + ":3:34: error 3: ", 0), 0u) << c.err;
  EXPECT_EQ(c.err.find(" error ", 1 + c.err.find(" error ")), std::string::npos)
      << c.err;
}

TEST(check_command, statuses_and_warning_switches) {
  pair_on_disk f(warned_line, warned_train);
  const struct {
    std::vector<std::string> extra;
    int status;
    std::string in_err;  // empty: no warning at all
  } cases[] = {
      {{},
       0,
       ":3:1: warning: the same record as line 2 (position 0+000, 0 m) "
       "[-Wduplicate-record]\n"},
      {{"-Werror"},
       1,
       ":3:1: error: the same record as line 2 (position 0+000, 0 m) "
       "[-Werror=duplicate-record]\n"},
      {{"-Wno-duplicate-record"}, 0, ""},
      {{"-Wno-duplicate-record", "-Wduplicate-record"},
       0,
       "[-Wduplicate-record]"},
      {{"-Wno-duplicate-record", "-Werror"}, 0, ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"check", f.line, f.train};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const process_result r = tool(args);
    SCOPED_TRACE(::testing::PrintToString(c.extra));
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.in_err.empty()) {
      EXPECT_EQ(r.err, "0 errors, 0 warnings\n");
    } else {
      EXPECT_NE(r.err.find(c.in_err), std::string::npos) << r.err;
    }
  }

  // Switches may also stand before the files.
  EXPECT_EQ(tool({"check", "-Werror", f.line, f.train}).status, 1);

  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"check", f.line},
        {"check", f.line, f.train, "-Wno-such-warning"},
        {"check", f.line, f.train, "--format", "xml"},
        {"check", f.line, f.train, "--bogus"}}) {
    const process_result r = tool(bad);
    EXPECT_EQ(r.status, 64) << ::testing::PrintToString(bad) << r.err;
    EXPECT_NE(r.err.find("scenario"), std::string::npos) << r.err;
  }
}

// On a terminal (a pseudo-terminal made by script(1)) the report is
// coloured, unless NO_COLOR is set; through a pipe it never is.
TEST(check_command, colour_only_on_a_terminal_without_no_color) {
  pair_on_disk f(warned_line, warned_train);
  for (const bool no_color : {false, true}) {
    const std::string command =
        std::string(no_color ? "NO_COLOR=1 " : "env -u NO_COLOR ") +
        SCENARIO_TOOL_PATH + " check '" + f.line + "' '" + f.train + "'";
    const process_result r =
        testing::run_program({"/usr/bin/script", "-qec", command, "/dev/null"},
                             /*without_display=*/true);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("[-Wduplicate-record]"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("\033[1;35mwarning:\033[0m") != std::string::npos,
              !no_color)
        << r.out;
  }
  EXPECT_EQ(tool({"check", f.line, f.train}).err.find('\033'),
            std::string::npos);
}

TEST(check_command, list_warnings_gives_every_name_and_its_rationale) {
  const process_result r = tool({"check", "--list-warnings"});
  EXPECT_EQ(r.status, 0);
  for (const char* name :
       {"tunnel-board", "station-order", "station-overlap", "station-time",
        "speed-board-missing", "speed-board-unmatched", "signal-spacing",
        "curve-speed", "beyond-line", "duplicate-record",
        "timetable-impossible", "timetable-tight"}) {
    const size_t at = r.out.find(std::string("-W") + name + " ");
    ASSERT_NE(at, std::string::npos) << name;
    const std::string line = r.out.substr(at, r.out.find('\n', at) - at);
    EXPECT_GT(line.size(), std::string(name).size() + 20) << line;
  }
  EXPECT_NE(r.out.find("0.5 m/s^2"), std::string::npos);
  EXPECT_NE(r.out.find("cant deficiency admit (100 mm and 130 mm"),
            std::string::npos);
}

TEST(check_command, json_lists_the_findings_with_places_and_positions) {
  pair_on_disk f(testing::faulty_line, testing::faulty_train);
  const process_result r = tool({"check", "--format", "json", f.line, f.train});
  EXPECT_EQ(r.status, 1);
  const json j = json::parse(r.out);
  EXPECT_EQ(j["errors"], 9);
  int errors = 0;
  bool saw_signal = false;
  for (const json& x : j["findings"]) {
    if (x["severity"] == "error") ++errors;
    if (x["code"] == 16) {
      saw_signal = true;
      EXPECT_EQ(x["file"], f.train);
      EXPECT_EQ(x["line"], 10);
      EXPECT_EQ(x["column"], 13);
      EXPECT_EQ(x["length"], 4);
      EXPECT_EQ(x["position_m"], 1500);
      EXPECT_EQ(x["position_km"], "1+500");
      EXPECT_EQ(x["message"], "signal on an occupied cell");
    }
  }
  EXPECT_EQ(errors, 9);
  EXPECT_TRUE(saw_signal);
  EXPECT_EQ(j["warnings"], j["findings"].size() - 9);
}

TEST(check_command, sarif_passes_the_reference_validator) {
  ASSERT_TRUE(testing::sarif_validator_installed())
      << "the SARIF validator is missing: run scripts/setup";
  pair_on_disk f(testing::faulty_line, testing::faulty_train);
  const process_result r =
      tool({"check", "--format", "sarif", f.line, f.train});
  EXPECT_EQ(r.status, 1);
  const json log = json::parse(r.out);
  EXPECT_EQ(log["version"], "2.1.0");
  const json& run = log["runs"][0];
  const json& rules = run["tool"]["driver"]["rules"];
  EXPECT_EQ(rules.size(), 28u + 12u);  // every code and every warning
  bool saw_signal = false;
  for (const json& res : run["results"]) {
    EXPECT_EQ(rules[res["ruleIndex"].get<size_t>()]["id"], res["ruleId"]);
    if (res["ruleId"] != "E16") continue;
    saw_signal = true;
    const json& where = res["locations"][0]["physicalLocation"];
    EXPECT_EQ(where["artifactLocation"]["uri"], "file://" + f.train);
    EXPECT_EQ(where["region"]["startLine"], 10);
    EXPECT_EQ(where["region"]["startColumn"], 13);
    EXPECT_EQ(where["region"]["endColumn"], 17);
  }
  EXPECT_TRUE(saw_signal);

  temp_dir dir;
  const std::filesystem::path ours = dir / "check.sarif";
  write_file(ours, r.out);
  EXPECT_EQ(testing::sarif_validator_errors(ours), std::vector<std::string>{});

  // The validator does look: the same log with a line 0 fails it.
  json broken = log;
  broken["runs"][0]["results"][0]["locations"][0]["physicalLocation"]["region"]
        ["startLine"] = 0;
  const std::filesystem::path bad = dir / "broken.sarif";
  write_file(bad, broken.dump(2));
  EXPECT_FALSE(testing::sarif_validator_errors(bad).empty());
}

}  // namespace
}  // namespace scenario
