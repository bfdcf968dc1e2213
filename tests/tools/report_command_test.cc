// `scenario report` as an author uses it: a folder of compiled files or a
// pair of descriptions in, one page out, nothing else written.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "compiler/fixtures/descriptions.h"
#include "testing/compiled_scenarios.h"
#include "testing/process.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::process_result;
using testing::read_file;
using testing::temp_dir;
using testing::write_file;

process_result report(std::vector<std::string> args) {
  args.insert(args.begin(), "report");
  args.insert(args.begin(), SCENARIO_TOOL_PATH);
  return testing::run_program(args, /*without_display=*/true);
}

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + what.size())) {
    ++n;
  }
  return n;
}

std::vector<std::string> files_in(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(report_command,
     descriptions_are_drawn_with_their_codes_and_nothing_else_written) {
  temp_dir dir;
  const std::string line = (dir / "line.txt").string();
  const std::string train = (dir / "train.txt").string();
  write_file(line,
             testing::line_description(3000, {"pendenza,   90000,    1"}));
  write_file(train, testing::train_description(
                        {"velocita,   0,    30",
                         "stazione,     200, 12,  700,  1, 1, 1,  4,1,0,  "
                         "2,1,1,    1,   7, 5, 0, ALFA"}));
  const process_result r =
      report({line, train, "-o", (dir / "page.html").string()});
  // The statuses of compile: a code was recorded.
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find(line + ":" + std::to_string(testing::first_body_line) +
                       ": error 15:"),
            std::string::npos)
      << r.err;
  const std::string page = read_file(dir / "page.html");
  EXPECT_EQ(
      count(page, "class=\"problem-marker stops-build\" data-code=\"15\""), 1u);
  EXPECT_EQ(count(page, "class=\"station-label"), 1u);
  EXPECT_NE(page.find("Route Tarvena_Olmisco"), std::string::npos);
  EXPECT_EQ(files_in(dir.path()),
            (std::vector<std::string>{"line.txt", "page.html", "train.txt"}));
}

// Drawn from descriptions, the page shows every finding of `scenario
// check`, errors and warnings, each a marker at its kilometre named by its
// code or -W name and a row with file, line and column; the code where the
// strict compilation stops is marked as such. The -W switches apply.
TEST(report_command, descriptions_show_every_finding_of_check) {
  temp_dir dir;
  const std::string line = (dir / "line.txt").string();
  const std::string train = (dir / "train.txt").string();
  const std::string page_path = (dir / "page.html").string();
  const std::string signal =
      "segnale,    1000,   1, 4, 1,  0, 0,    0,  0,0,0, 0";
  // Two signals on one cell (error 16, and the same record twice), a board
  // that announces no limit change, a record past the line's end.
  write_file(line, testing::line_description(
                       3000, {"curvad2,  2900,  3200",
                              "indicatori_vmax,  2050,  100,  120,  120,  0, "
                              " ,  ,  ,  0"}));
  write_file(train, testing::train_description(
                        {"velocita,   0,    30", signal, signal}));
  const process_result checked = testing::run_program(
      {SCENARIO_TOOL_PATH, "check", line, train, "--format", "json"}, true);
  const nlohmann::json findings = nlohmann::json::parse(checked.out);
  ASSERT_EQ(findings["errors"], 1) << checked.out;
  ASSERT_GE(findings["warnings"], 3) << checked.out;

  process_result r = report({line, train, "-o", page_path});
  EXPECT_EQ(r.status, 1) << r.err;
  std::string page = read_file(page_path);
  EXPECT_EQ(count(page, "class=\"problem-marker"), findings["findings"].size());
  EXPECT_EQ(count(page, "class=\"problem-row"), findings["findings"].size());
  for (const nlohmann::json& f : findings["findings"]) {
    const bool error = f["severity"] == "error";
    const std::string label = error ? std::to_string(f["code"].get<int>())
                                    : f["warning"].get<std::string>();
    EXPECT_NE(page.find(std::string(error ? "data-code" : "data-warning") +
                        "=\"" + label + "\""),
              std::string::npos)
        << label;
    // Its row: the label, then (after meaning and position) file, line
    // and column.
    const std::string row_file =
        "<td>" + f["file"].get<std::string>() + "</td><td class=\"num\">" +
        std::to_string(f["line"].get<int>()) + "</td><td class=\"num\">" +
        std::to_string(f["column"].get<int>()) + "</td>";
    EXPECT_NE(page.find(row_file), std::string::npos) << row_file;
  }
  // Only the strict code is marked: its marker and its row.
  EXPECT_EQ(count(page, " stops-build\""), 2u);
  EXPECT_EQ(count(page, "class=\"problem-row stops-build\""), 1u);
  EXPECT_NE(page.find("class=\"problem-marker stops-build\" data-code=\"16\""),
            std::string::npos);
  EXPECT_NE(page.find("stops at error 16 (" + train + ":"), std::string::npos);

  // A warning switched off is gone; -Werror changes no status of the
  // report; an unknown name is refused before anything is written.
  r = report({line, train, "-o", page_path, "-Wno-duplicate-record"});
  EXPECT_EQ(r.status, 1) << r.err;
  page = read_file(page_path);
  EXPECT_EQ(count(page, "data-warning=\"duplicate-record\""), 0u);
  EXPECT_EQ(count(page, "class=\"problem-marker"),
            findings["findings"].size() - 1);
  std::filesystem::remove(page_path);
  r = report({line, train, "-o", page_path, "-Wbogus"});
  EXPECT_EQ(r.status, 64);
  EXPECT_NE(r.err.find("bogus"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(page_path));

  // Warnings alone leave the status of a clean compilation.
  write_file(train,
             testing::train_description({"velocita,   0,    30", signal}));
  r = report({line, train, "-o", page_path, "-Werror"});
  EXPECT_EQ(r.status, 0) << r.err;
  page = read_file(page_path);
  EXPECT_GE(count(page, "data-warning=\""), 2u);
  EXPECT_EQ(count(page, "stops-build\""), 0u);
  EXPECT_NE(page.find("records no code"), std::string::npos);
}

TEST(report_command, a_folder_of_compiled_files_is_found_and_drawn) {
  temp_dir dir;
  std::filesystem::create_directories(dir / "out");
  testing::write_every_kind(dir / "out", "Valle", "R 12");
  for (const std::vector<std::string>& names :
       {std::vector<std::string>{}, {"--route", "Valle", "--train", "R 12"}}) {
    std::vector<std::string> args = {(dir / "out").string(), "-o",
                                     (dir / "page.html").string()};
    args.insert(args.end(), names.begin(), names.end());
    const process_result r = report(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string page = read_file(dir / "page.html");
    EXPECT_NE(page.find("Route Valle \xC2\xB7 train R 12"), std::string::npos);
    EXPECT_EQ(count(page, "class=\"station-label"), 3u);
    EXPECT_EQ(count(page, "class=\"problem-marker\""), 0u);
    EXPECT_NE(page.find("class=\"plan-line\""), std::string::npos);
  }
}

TEST(report_command, refuses_what_it_cannot_draw) {
  temp_dir dir;
  for (const char* sub : {"two", "damaged", "empty"}) {
    std::filesystem::create_directories(dir / sub);
  }
  testing::write_every_kind(dir / "two", "Valle", "R 12");
  testing::write_every_kind(dir / "two", "Monte", "R 13");
  testing::write_every_kind(dir / "damaged", "Valle", "R 12");
  {
    const auto dat = dir / "damaged" / "Valle_R 12.dat";
    std::string bytes = read_file(dat);
    write_file(dat, bytes.substr(0, bytes.size() - 7));
  }
  write_file(dir / "a.txt", "x");
  const std::string page = (dir / "page.html").string();
  const struct {
    const char* what;
    std::vector<std::string> args;
    int status;
    const char* says;
  } cases[] = {
      {"no such folder",
       {(dir / "none").string(), "-o", page},
       66,
       "no such folder"},
      {"a file alone",
       {(dir / "a.txt").string(), "-o", page},
       64,
       "not a folder"},
      {"a folder among two",
       {(dir / "empty").string(), (dir / "a.txt").string(), "-o", page},
       64,
       "descriptions"},
      {"no scenario in the folder",
       {(dir / "empty").string(), "-o", page},
       66,
       "no scenario"},
      {"two scenarios in the folder",
       {(dir / "two").string(), "-o", page},
       64,
       "Monte_R 13.sim"},
      {"damaged cells",
       {(dir / "damaged").string(), "-o", page},
       65,
       "Valle_R 12.dat"},
      {"no output", {(dir / "two").string()}, 64, "output"},
      {"three inputs", {"a", "b", "c", "-o", page}, 64, ""},
  };
  for (const auto& c : cases) {
    const process_result r = report(c.args);
    EXPECT_EQ(r.status, c.status) << c.what << "\n" << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.what << "\n" << r.err;
    EXPECT_FALSE(std::filesystem::exists(page)) << c.what;
  }
  // With the names given, the folder of two draws the one asked for.
  const process_result r = report({(dir / "two").string(), "-o", page,
                                   "--route", "Monte", "--train", "R 13"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(read_file(page).find("Route Monte"), std::string::npos);
}

TEST(report_command, an_unwritable_page_is_status_4_and_named) {
  temp_dir dir;
  testing::write_every_kind(dir.path(), "Valle", "R 12");
  const std::string page = (dir / "no" / "such" / "page.html").string();
  const process_result r = report({dir.path().string(), "-o", page});
  EXPECT_EQ(r.status, 4) << r.err;
  EXPECT_NE(r.err.find(page), std::string::npos) << r.err;
}

}  // namespace
}  // namespace scenario
