// The tools in the language of the environment: the same findings, names,
// places and statuses under LANG=C and under an Italian locale, only the
// words a person reads in Italian; JSON and SARIF stay valid.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <vector>

#include "checking/faulty_pair.h"
#include "output/folder_lock.h"
#include "sources/sources.h"
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
  EXPECT_EQ(it.out.find("Options"), std::string::npos) << it.out;
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

  // A value outside its range names the option, the value and the range.
  const std::vector<std::string> many_cars = {"timing", "x", "--cars", "200"};
  const process_result e = tool_in(english, many_cars);
  const process_result i = tool_in(italian, many_cars);
  EXPECT_EQ(e.status, 64);
  EXPECT_EQ(i.status, 64);
  EXPECT_TRUE(
      e.err.starts_with("scenario: --cars: Value 200 not in range 0 to 100\n"))
      << e.err;
  EXPECT_TRUE(i.err.starts_with(
      "scenario: --cars: il valore 200 non è compreso tra 0 e 100\n"))
      << i.err;
}

// What the compiler adds to a code's meaning, and why a file cannot be
// read: worded in Italian, with the same code, place and status.
struct detail_case {
  const char* name;
  const char* train;  // null: the train file is missing
  const char* english;
  const char* italian;
};

const char* const detail_line =
    "[generale]\r\n"
    "lunghezza percorso,    5000\r\n"
    "[fine]\r\n";

// The "FILE:LINE:COL: " before the finding that holds `detail`.
std::string place_before(const std::string& err, const std::string& detail) {
  const size_t at = err.find(detail);
  if (at == std::string::npos) return "(" + detail + " not found)";
  const size_t line = err.rfind('\n', at) + 1;
  const std::string text = err.substr(line, at - line);
  const size_t code = text.find(": err");
  return code == std::string::npos ? text : text.substr(0, code);
}

TEST(language, compiler_details_read_in_italian_in_check_and_compile) {
  const detail_case cases[] = {
      {"a word for a number",
       "[generale]\r\nvelocita,   0,    sette\r\n[fine]\r\n",
       "(\"sette\" is not a whole number)",
       "(\"sette\" non è un numero intero)"},
      {"a number outside its field",
       "[generale]\r\nvelocita,   0,    99999999999\r\n[fine]\r\n",
       "(99999999999 lies outside the 32-bit integer field (-2147483648 to "
       "2147483647))",
       "(99999999999 è fuori dal campo intero a 32 bit (da -2147483648 a "
       "2147483647))"},
      {"a missing train file", nullptr,
       "(cannot open the file: No such file or directory)",
       "(impossibile aprire il file: File o cartella inesistente)"},
  };
  for (const detail_case& c : cases) {
    SCOPED_TRACE(c.name);
    pair_on_disk f(detail_line, c.train != nullptr ? c.train : "");
    if (c.train == nullptr) std::filesystem::remove(f.train);
    const process_result en = tool_in(english, {"check", f.line, f.train});
    const process_result it = tool_in(italian, {"check", f.line, f.train});
    EXPECT_EQ(en.status, 1) << en.err;
    EXPECT_EQ(it.status, en.status);
    EXPECT_NE(en.err.find(c.english), std::string::npos) << en.err;
    EXPECT_NE(it.err.find(c.italian), std::string::npos) << it.err;
    EXPECT_EQ(it.err.find(c.english), std::string::npos) << it.err;
    EXPECT_EQ(place_before(en.err, c.english), place_before(it.err, c.italian));

    // compile's console says the same, and ends with the same status.
    const std::string out_en = (f.dir / "en").string();
    const std::string out_it = (f.dir / "it").string();
    const process_result ce =
        tool_in(english, {"compile", f.line, f.train, "-o", out_en});
    const process_result ci =
        tool_in(italian, {"compile", f.line, f.train, "-o", out_it});
    EXPECT_EQ(ce.status, ci.status);
    EXPECT_NE(ce.err.find(c.english), std::string::npos) << ce.err;
    EXPECT_NE(ci.err.find(c.italian), std::string::npos) << ci.err;
  }
}

// A small line and train for compiled folders: a signal and seven cars.
const char* const folder_line =
    "[generale]\r\n"
    "lunghezza percorso,    3000\r\n"
    "ripetizione segnali 4 codici,    0    ,0\r\n"
    "[curve]\r\n"
    "curvad2,  100,  200\r\n"
    "[fine]\r\n";

std::string folder_train(int signal_m, int cars) {
  return "[generale]\r\nnumero vetture,    " + std::to_string(cars) +
         "\r\n[vel_limite]\r\nvelocita,   0,    30\r\n[segnali]\r\n"
         "segnale,    " +
         std::to_string(signal_m) +
         ",   1, 4, 1,  0, 0,    0,  0,0,0, 0\r\n[fine]\r\n";
}

// Two folders compiled by the tool: "a", and "b" with the signal moved and
// one car more.
struct compiled_folders {
  temp_dir dir;
  std::string a = (dir / "a").string();
  std::string b = (dir / "b").string();
  compiled_folders() {
    make(a, 1000, 7);
    make(b, 1200, 8);
  }
  void make(const std::string& out, int signal_m, int cars) {
    const std::string line = (dir / "line.txt").string();
    const std::string train = (dir / "train.txt").string();
    write_file(line, folder_line);
    write_file(train, folder_train(signal_m, cars));
    const process_result r =
        tool_in(english, {"compile", line, train, "-o", out});
    EXPECT_EQ(r.status, 0) << r.err;
  }
};

// Each English phrase is gone from the Italian output, where its Italian
// stands.
void expect_words(
    const process_result& en, const process_result& it,
    const std::vector<std::pair<const char*, const char*>>& words) {
  for (const auto& [e, i] : words) {
    EXPECT_NE(en.out.find(e), std::string::npos) << e << "\n" << en.out;
    EXPECT_EQ(it.out.find(e), std::string::npos) << e << "\n" << it.out;
    EXPECT_NE(it.out.find(i), std::string::npos) << i << "\n" << it.out;
  }
}

TEST(language, inspect_and_diff_read_in_italian) {
  compiled_folders f;
  const process_result en = tool_in(english, {"inspect", f.a});
  const process_result it = tool_in(italian, {"inspect", f.a});
  EXPECT_EQ(en.status, 0) << en.err;
  EXPECT_EQ(it.status, 0) << it.err;
  expect_words(
      en, it,
      {{"Route ", "Percorso "},
       {"Line: 3000 m (0+000 to 3+000)", "Linea: 3000 m (da 0+000 a 3+000)"},
       {"Train: 7 cars, braking mass", "Treno: 7 vetture, massa frenata"},
       {"Stations (0):", "Stazioni (0):"},
       {"Signals (1): left and right kinds", "Segnali (1): tipi a sinistra"},
       {"  cell 21 ", "  cella 21 "},
       {"Tunnels (0):", "Gallerie (0):"},
       {"Speed limits (over cells 0 to",
        "Velocità massime (sulle celle da 0 a"},
       {"Adhesion:", "Aderenza:"},
       {"Plan: metres 0 to ", "Tracciato: metri da 0 a "}});

  const process_result cells_en =
      tool_in(english, {"inspect", f.a, "--cells", "950-1050"});
  const process_result cells_it =
      tool_in(italian, {"inspect", f.a, "--cells", "950-1050"});
  EXPECT_TRUE(cells_en.out.starts_with("  cell  position  tipo"))
      << cells_en.out;
  EXPECT_TRUE(cells_it.out.starts_with(" cella  progressiva  tipo"))
      << cells_it.out;
  // The same rows, the same numbers.
  EXPECT_EQ(std::count(cells_en.out.begin(), cells_en.out.end(), '\n'),
            std::count(cells_it.out.begin(), cells_it.out.end(), '\n'));

  const process_result de = tool_in(english, {"diff", f.a, f.b});
  const process_result di = tool_in(italian, {"diff", f.a, f.b});
  EXPECT_EQ(de.status, 1) << de.err;
  EXPECT_EQ(di.status, 1) << di.err;
  expect_words(de, di,
               {{"cars 7 \u2192 8", "vetture 7 \u2192 8"},
                {"signal moved 1+000 \u2192 1+200",
                 "segnale si sposta da 1+000 a 1+200"}});

  // JSON keeps its kinds, changes and field names; only the lines differ.
  const json je =
      json::parse(tool_in(english, {"diff", "--format", "json", f.a, f.b}).out);
  const json ji =
      json::parse(tool_in(italian, {"diff", "--format", "json", f.a, f.b}).out);
  ASSERT_EQ(je["objects"].size(), ji["objects"].size());
  ASSERT_FALSE(je["objects"].empty());
  for (size_t i = 0; i < je["objects"].size(); ++i) {
    json x = je["objects"][i];
    json y = ji["objects"][i];
    EXPECT_NE(x["text"], y["text"]) << x;
    x.erase("text");
    y.erase("text");
    EXPECT_EQ(x, y);
  }
  EXPECT_EQ(je["cells"].size(), ji["cells"].size());
}

TEST(language, the_report_page_is_written_in_the_readers_language) {
  compiled_folders f;
  for (const auto& [lang, code, title] :
       {std::tuple{english, "en", "<h2>Profiles"},
        std::tuple{italian, "it", "<h2>Profili"}}) {
    const std::string page = (f.dir / ("page-" + lang + ".html")).string();
    const process_result r = tool_in(lang, {"report", f.a, "-o", page});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string html = read_file(page);
    EXPECT_NE(html.find("<html lang=\"" + std::string(code) + "\""),
              std::string::npos)
        << lang;
    EXPECT_NE(html.find(title), std::string::npos) << lang;
  }
}

TEST(language, timing_heading_train_and_columns_read_in_italian) {
  compiled_folders f;
  const process_result en = tool_in(english, {"timing", f.a});
  const process_result it = tool_in(italian, {"timing", f.a});
  EXPECT_EQ(en.status, it.status);
  expect_words(en, it,
               {{", from the compiled files in ", ", dai file compilati in "},
                {"Train: locomotive ", "Treno: locomotiva "},
                {" cant deficiency ", " insufficienza di sopraelevazione "},
                {"Margin: ", "Margine: "}});
  EXPECT_EQ(it.out.find(" da i "), std::string::npos) << it.out;
}

TEST(language, the_slack_column_and_the_slack_verdict_read_apart) {
  // With a slack factor of 1 a leg with time to spare is slack: its verdict
  // says so, and the column of the time to spare is the margin.
  temp_dir dir;
  file_failure failure;
  ASSERT_TRUE(dati_linea(dir.path(), build_percorso, &failure));
  ASSERT_TRUE(dati_treno(dir.path(), build_percorso, build_treno, &failure));
  const std::vector<std::string> args = {
      "timing", linea_txt_path(dir.path(), build_percorso).string(),
      treno_txt_path(dir.path(), build_percorso, build_treno).string(),
      "--slack-factor", "1"};
  const process_result en = tool_in(english, args);
  const process_result it = tool_in(italian, args);
  ASSERT_EQ(en.status, 0) << en.err;
  ASSERT_EQ(it.status, 0) << it.err;
  const auto heading = [](const std::string& out) {
    const size_t at = out.find("\nfrom ") != std::string::npos
                          ? out.find("\nfrom ")
                          : out.find("\nda ");
    return out.substr(at + 1, out.find('\n', at + 1) - at - 1);
  };
  EXPECT_NE(heading(en.out).find("  slack  slack %  verdict"),
            std::string::npos)
      << en.out;
  EXPECT_NE(heading(it.out).find("  margine  margine %"), std::string::npos)
      << it.out;
  EXPECT_EQ(heading(it.out).find("abbondante"), std::string::npos) << it.out;
  EXPECT_NE(en.out.find("  slack\n"), std::string::npos) << en.out;
  EXPECT_NE(it.out.find("  abbondante\n"), std::string::npos) << it.out;
}

// Why a file or a folder cannot be used, in every tool.
struct reason_case {
  const char* name;
  std::vector<std::string> args;  // "@" stands for the case's folder
  int status;
  const char* english;
  const char* italian;
};

TEST(language, file_and_folder_reasons_read_in_italian) {
  temp_dir dir;
  const std::string empty = (dir / "empty").string();
  std::filesystem::create_directory(empty);
  const std::string prose = (dir / "prose.txt").string();
  write_file(prose, "no records here\r\n");
  const std::string busy = (dir / "busy").string();
  std::filesystem::create_directory(busy);
  const std::string line = (dir / "line.txt").string();
  const std::string train = (dir / "train.txt").string();
  write_file(line, folder_line);
  write_file(train, folder_train(1000, 7));
  // A compiled folder whose entry file is cut inside its first entry.
  const std::string damaged = (dir / "damaged").string();
  ASSERT_EQ(tool_in(english, {"compile", line, train, "-o", damaged}).status,
            0);
  for (const auto& file : std::filesystem::directory_iterator(damaged)) {
    if (file.path().extension() == ".sim") {
      std::filesystem::resize_file(file.path(), 3);
    }
  }
  const std::string compiled = (dir / "compiled").string();
  ASSERT_EQ(tool_in(english, {"compile", line, train, "-o", compiled}).status,
            0);
  const std::string params = (dir / "params.json").string();
  write_file(params, "{\"max_speed_kmh\": 9999}");

  const std::vector<reason_case> cases = {
      {"no scenario in the folder",
       {"inspect", empty},
       66,
       ": no scenario: no file ROUTE_TRAIN.sim there",
       ": nessuno scenario: non c'è alcun file ROUTE_TRAIN.sim"},
      {"a folder given to fmt",
       {"fmt", empty},
       66,
       "is a folder, not a file",
       "è una cartella, non un file"},
      {"prose given to fmt",
       {"fmt", prose},
       65,
       "no line opens with",
       "nessuna riga comincia con"},
      {"a folder another run holds",
       {"compile", line, train, "-o", busy, "--wait", "0"},
       75,
       " is still in use by another run after 0 s; try again later",
       " è ancora in uso da un'altra esecuzione dopo 0 s; riprovare più tardi"},
      {"damaged compiled files in inspect",
       {"inspect", damaged},
       65,
       ".sim: byte 1: expected entry 0 inizio (4 bytes), found 2 bytes before "
       "the end of file\n",
       ".sim: byte 1: atteso inizio della voce 0 (4 byte), trovato 2 byte "
       "prima della fine del file\n"},
      {"damaged compiled files in timing",
       {"timing", damaged},
       65,
       ": expected entry 0 inizio (4 bytes)",
       ": atteso inizio della voce 0 (4 byte)"},
      {"damaged compiled files in report",
       {"report", damaged, "-o", (dir / "page.html").string()},
       65,
       ": expected entry 0 inizio (4 bytes)",
       ": atteso inizio della voce 0 (4 byte)"},
      {"a train value out of range",
       {"timing", compiled, "--params", params},
       64,
       "max_speed_kmh must be from 5 to 500 km/h; it is 9999",
       "max_speed_kmh deve essere da 5 a 500 km/h; vale 9999"},
      {"a margin list that is no list",
       {"timing", compiled, "--margin", "140"},
       64,
       "--margin: \"140\" is no band; write SPEED:PERCENT",
       "--margin: \"140\" non è una fascia; scrivere VELOCITÀ:PERCENTUALE"},
  };
  lock_result holder = lock_folder(
      busy, {.mode = lock_mode::shared, .wait = std::chrono::seconds(0)});
  ASSERT_EQ(holder.outcome, lock_outcome::held) << holder.message;
  for (const reason_case& c : cases) {
    SCOPED_TRACE(c.name);
    const process_result en = tool_in(english, c.args);
    const process_result it = tool_in(italian, c.args);
    EXPECT_EQ(en.status, c.status) << en.err;
    EXPECT_EQ(it.status, c.status) << it.err;
    EXPECT_NE(en.err.find(c.english), std::string::npos) << en.err;
    EXPECT_NE(it.err.find(c.italian), std::string::npos) << it.err;
    EXPECT_EQ(it.err.find(c.english), std::string::npos) << it.err;
  }
}

}  // namespace
}  // namespace scenario
