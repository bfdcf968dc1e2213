// The tools in the language of the environment: the same findings, names,
// places and statuses under LANG=C and under an Italian locale, only the
// words a person reads in Italian; JSON and SARIF stay valid.
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

// The tool with only LANG choosing the language.
process_result tool_in(const std::string& lang, std::vector<std::string> args) {
  args.insert(args.begin(), SCENARIO_TOOL_PATH);
  return testing::run_program(
      args,
      {.environment = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG=" + lang}});
}

const std::string english = "C";
const std::string italian = "it_IT.UTF-8";

// Warnings without errors: a duplicated record and a signal too close to
// the one before it for the speed in force.
const char* const warned_line =
    "[generale]\r\n"
    "lunghezza percorso,    5000\r\n"
    "[curve]\r\n"
    "pendenza,   0,    0\r\n"
    "[fine]\r\n";
const char* const warned_train =
    "[generale]\r\n"
    "velocita,   0,    120\r\n"
    "velocita,   0,    120\r\n"
    "[segnali]\r\n"
    "segnale,    1000,   1, 4, 1,  0, 0,    0,  0,0,0, 0\r\n"
    "segnale,    1200,   1, 4, 1,  0, 0,    0,  0,0,0, 0\r\n"
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

struct language_case {
  const char* name;
  const char* line;
  const char* train;
  int min_errors;
  int min_warnings;
};

const language_case cases[] = {
    {"faulty pair", testing::faulty_line, testing::faulty_train, 9, 1},
    {"warned pair", warned_line, warned_train, 0, 2},
};

// Everything machine-readable of a finding: all but its message.
json place_of(const json& f) {
  json p = f;
  p.erase("message");
  return p;
}

TEST(language, json_findings_keep_codes_names_and_places_in_italian) {
  for (const language_case& c : cases) {
    SCOPED_TRACE(c.name);
    pair_on_disk f(c.line, c.train);
    const process_result en =
        tool_in(english, {"check", "--format", "json", f.line, f.train});
    const process_result it =
        tool_in(italian, {"check", "--format", "json", f.line, f.train});
    EXPECT_EQ(en.status, it.status);
    const json a = json::parse(en.out);
    const json b = json::parse(it.out);
    EXPECT_GE(a["errors"].get<int>(), c.min_errors);
    EXPECT_GE(a["warnings"].get<int>(), c.min_warnings);
    EXPECT_EQ(a["errors"], b["errors"]);
    EXPECT_EQ(a["warnings"], b["warnings"]);
    ASSERT_EQ(a["findings"].size(), b["findings"].size());
    for (size_t i = 0; i < a["findings"].size(); ++i) {
      const json& x = a["findings"][i];
      const json& y = b["findings"][i];
      EXPECT_EQ(place_of(x), place_of(y)) << i;
      EXPECT_NE(x["message"], y["message"]) << "untranslated: " << x;
    }
  }
}

// One finding of each kind, read in both languages.
struct worded {
  std::string rule;  // "E16" or a warning's name
  std::string english;
  std::string italian;
};

TEST(language, text_findings_read_in_italian_with_their_names) {
  const std::vector<worded> table = {
      {"error 16", "signal on an occupied cell",
       "segnale su una cella occupata"},
      {"error 3", "first signal-repetition value is not a multiple of 50",
       "il primo valore di ripetizione dei segnali non è multiplo di 50"},
      {"-Wspeed-board-unmatched", "speed board for 90/95/95 km/h announces",
       "il cartello di velocità massima per 90/95/95 km/h non annuncia"},
  };
  pair_on_disk f(testing::faulty_line, testing::faulty_train);
  const process_result en = tool_in(english, {"check", f.line, f.train});
  const process_result it = tool_in(italian, {"check", f.line, f.train});
  EXPECT_EQ(en.status, 1);
  EXPECT_EQ(it.status, 1);
  for (const worded& w : table) {
    EXPECT_NE(en.err.find(w.english), std::string::npos) << w.rule;
    EXPECT_NE(it.err.find(w.italian), std::string::npos) << w.rule;
    EXPECT_EQ(it.err.find(w.english), std::string::npos) << w.rule;
  }
  EXPECT_NE(it.err.find(f.train + ":10:13: errore 16: "), std::string::npos);
  EXPECT_NE(it.err.find("(progressiva 1+500, 1500 m)"), std::string::npos);
  EXPECT_NE(it.err.find("attenzione: "), std::string::npos);
  EXPECT_NE(it.err.find(" [-Wspeed-board-unmatched]"), std::string::npos);
  EXPECT_TRUE(en.err.ends_with("\n9 errors, 1 warning\n")) << en.err;
  EXPECT_TRUE(it.err.ends_with("\n9 errori, 1 avvertimento\n")) << it.err;
}

TEST(language, warnings_read_in_italian_and_keep_their_switches) {
  pair_on_disk f(warned_line, warned_train);
  const process_result it = tool_in(italian, {"check", f.line, f.train});
  EXPECT_EQ(it.status, 0) << it.err;
  EXPECT_NE(it.err.find("attenzione: lo stesso record della riga 2 "
                        "(progressiva 0+000, 0 m) [-Wduplicate-record]"),
            std::string::npos)
      << it.err;
  EXPECT_NE(it.err.find("[-Wsignal-spacing]"), std::string::npos) << it.err;
  EXPECT_NE(it.err.find("il segnale sta 200 m dopo quello a"),
            std::string::npos)
      << it.err;
  // -Werror turns them into errors in either language.
  const process_result strict =
      tool_in(italian, {"check", "-Werror", f.line, f.train});
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.err.find("errore: "), std::string::npos);
  EXPECT_NE(strict.err.find("[-Werror=duplicate-record]"), std::string::npos);

  const process_result list = tool_in(italian, {"check", "--list-warnings"});
  EXPECT_EQ(list.status, 0);
  EXPECT_NE(list.out.find("-Wduplicate-record        lo stesso record scritto "
                          "due volte è una svista\n"),
            std::string::npos)
      << list.out;
}

TEST(language, sarif_in_italian_names_its_language_and_validates) {
  ASSERT_TRUE(testing::sarif_validator_installed())
      << "the SARIF validator is missing: run scripts/setup";
  pair_on_disk f(testing::faulty_line, testing::faulty_train);
  const process_result en =
      tool_in(english, {"check", "--format", "sarif", f.line, f.train});
  const process_result it =
      tool_in(italian, {"check", "--format", "sarif", f.line, f.train});
  EXPECT_EQ(en.status, it.status);
  const json a = json::parse(en.out)["runs"][0];
  const json b = json::parse(it.out)["runs"][0];
  EXPECT_EQ(a["language"], "en");
  EXPECT_EQ(b["language"], "it");
  const json& rules = b["tool"]["driver"]["rules"];
  ASSERT_EQ(a["tool"]["driver"]["rules"].size(), rules.size());
  for (size_t i = 0; i < rules.size(); ++i) {
    EXPECT_EQ(a["tool"]["driver"]["rules"][i]["id"], rules[i]["id"]);
  }
  ASSERT_EQ(a["results"].size(), b["results"].size());
  for (size_t i = 0; i < a["results"].size(); ++i) {
    json x = a["results"][i];
    json y = b["results"][i];
    EXPECT_NE(x["message"], y["message"]);
    x.erase("message");
    y.erase("message");
    EXPECT_EQ(x, y);
  }
  temp_dir dir;
  const std::filesystem::path ours = dir / "italian.sarif";
  write_file(ours, it.out);
  EXPECT_EQ(testing::sarif_validator_errors(ours), std::vector<std::string>{});
}

TEST(language, help_and_usage_errors_in_italian_keep_their_statuses) {
  const process_result en = tool_in(english, {"check", "--help"});
  const process_result it = tool_in(italian, {"check", "--help"});
  EXPECT_EQ(en.status, 0);
  EXPECT_EQ(it.status, 0);
  EXPECT_NE(en.out.find("Usage: "), std::string::npos) << en.out;
  EXPECT_NE(it.out.find("Uso: "), std::string::npos) << it.out;
  EXPECT_NE(it.out.find("Opzioni:"), std::string::npos) << it.out;
  EXPECT_NE(it.out.find("descrizione della linea (testo)"), std::string::npos);
  EXPECT_NE(it.out.find("--list-warnings"), std::string::npos);

  for (const std::vector<std::string>& bad :
       std::vector<std::vector<std::string>>{{"check", "--format", "xml"},
                                             {"check", "a", "b", "c"},
                                             {"check"},
                                             {}}) {
    const process_result e = tool_in(english, bad);
    const process_result i = tool_in(italian, bad);
    EXPECT_EQ(e.status, 64) << e.err;
    EXPECT_EQ(i.status, 64) << i.err;
    EXPECT_NE(e.err, i.err);
  }
}

}  // namespace
}  // namespace scenario
