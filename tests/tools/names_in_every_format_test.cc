// Names written in the descriptions' 8-bit text (Windows-1252) through every
// tool and format: check's text, JSON and SARIF, compile's diagnostics,
// inspect's summary, JSON and CSV, diff and the report page. JSON and SARIF
// carry each byte's character; terminals and pages show control characters
// (the bytes Windows-1252 leaves undefined decode to them) as U+FFFD; diff
// escapes them. Columns count characters, so they stay right after an
// accented letter.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "model/text_8bit.h"
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

struct name_case {
  std::string bytes;      // as the description holds it
  std::string utf8;       // in JSON and SARIF
  std::string printable;  // on a terminal and a page
  std::string quoted;     // in diff's lines
};

const name_case names[] = {
    {"TARVENA", "TARVENA", "TARVENA", "\"TARVENA\""},
    {"CITT\xC0", "CITT\u00C0", "CITT\u00C0", "\"CITT\u00C0\""},
    {"\x80X\x9B", "\u20ACX\u203A", "\u20ACX\u203A", "\"\u20ACX\u203A\""},
    {"A\x81", "A\u0081", "A\uFFFD", "\"A\\x81\""},
    {"A\x8D", "A\u008D", "A\uFFFD", "\"A\\x8D\""},
    {"A\x8F", "A\u008F", "A\uFFFD", "\"A\\x8F\""},
    {"A\x90", "A\u0090", "A\uFFFD", "\"A\\x90\""},
    {"A\x9D", "A\u009D", "A\uFFFD", "\"A\\x9D\""},
};

const char* const line_text =
    "[generale]\r\n"
    "lunghezza percorso,    5000\r\n"
    "[fine]\r\n";

// Line 3: a station named `name`; line 4: one before it on the line, under
// a key that starts with an accented letter, so that its position (column
// 13 in characters, 14 in UTF-8 bytes) is refused (error 22) and warned of
// (station-order, which quotes the two names); line 6: the name where a
// number belongs (error 25, which quotes it).
std::string checked_train(const std::string& name) {
  return "[generale]\r\n"
         "[stazioni]\r\n"
         "stazione,    3300, 26,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, "
         "0, 0, " +
         name +
         "\r\n"
         "\xC0stazione,  200, 12,  700,  1, 1, 1,  4,1,0,  2,1,1,    1,   7, "
         "5, 0, " +
         name + "\r\n[segnali]\r\nsegnale, " + name + ", 1\r\n[fine]\r\n";
}
std::string source_line_4(const std::string& decoded_name) {
  return "\u00C0stazione,  200, 12,  700,  1, 1, 1,  4,1,0,  2,1,1,    1,   "
         "7, 5, 0, " +
         decoded_name;
}

// A clean train with one station named `name`.
std::string clean_train(const std::string& name) {
  return "[generale]\r\n[stazioni]\r\n"
         "stazione,     200, 12,  700,  1, 1, 1,  4,1,0,  2,1,1,    1,   7, "
         "5, 0, " +
         name + "\r\n[fine]\r\n";
}

const json* finding_of(const json& findings, const std::string& key,
                       const json& value) {
  for (const json& f : findings) {
    if (f[key] == value) return &f;
  }
  return nullptr;
}

TEST(names_in_every_format, check_text_json_and_sarif) {
  for (const name_case& n : names) {
    SCOPED_TRACE(n.utf8);
    temp_dir dir;
    const std::string line = (dir / "line.txt").string();
    const std::string train = (dir / "train.txt").string();
    write_file(line, line_text);
    write_file(train, checked_train(n.bytes));

    const process_result text = tool({"check", line, train});
    EXPECT_EQ(text.status, 1);
    EXPECT_TRUE(is_valid_utf8(text.err)) << text.err;
    const std::string warned = "station " + n.printable + " comes after " +
                               n.printable + " (3+300, line 3)";
    EXPECT_NE(text.err.find(train + ":4:13: warning: " + warned),
              std::string::npos)
        << text.err;
    // The caret stands under the position's first digit: 12 characters in.
    EXPECT_NE(text.err.find("    4 | " + source_line_4(n.printable) +
                            "\n      |             ^~~\n"),
              std::string::npos)
        << text.err;
    EXPECT_NE(text.err.find(train +
                            ":6:10: error 25: reading or run-time "
                            "failure while compiling (\"" +
                            n.printable + "\" is not a whole number)"),
              std::string::npos)
        << text.err;

    const process_result js = tool({"check", "--format", "json", line, train});
    EXPECT_EQ(js.status, 1);
    const json j = json::parse(js.out);
    const json* order = finding_of(j["findings"], "warning", "station-order");
    ASSERT_NE(order, nullptr) << js.out;
    EXPECT_EQ((*order)["message"],
              "station " + n.utf8 + " comes after " + n.utf8 +
                  " (3+300, line 3) in the file but stands before it on the "
                  "line");
    EXPECT_EQ((*order)["source"], source_line_4(n.utf8));
    EXPECT_EQ((*order)["column"], 13);
    const json* unread = finding_of(j["findings"], "code", 25);
    ASSERT_NE(unread, nullptr) << js.out;
    EXPECT_EQ((*unread)["source"], "segnale, " + n.utf8 + ", 1");

    const process_result sa = tool({"check", "--format", "sarif", line, train});
    EXPECT_EQ(sa.status, 1);
    const json run = json::parse(sa.out)["runs"][0];
    EXPECT_EQ(run["columnKind"], "unicodeCodePoints");
    const json* order_result = finding_of(run["results"], "ruleId", "E22");
    ASSERT_NE(order_result, nullptr) << sa.out;
    const json& region =
        (*order_result)["locations"][0]["physicalLocation"]["region"];
    EXPECT_EQ(region["startLine"], 4);
    EXPECT_EQ(region["startColumn"], 13);
    EXPECT_EQ(region["endColumn"], 16);
    EXPECT_EQ(region["snippet"]["text"], source_line_4(n.utf8));
    const json* sarif_order =
        finding_of(run["results"], "ruleId", "station-order");
    ASSERT_NE(sarif_order, nullptr) << sa.out;
    EXPECT_NE((*sarif_order)["message"]["text"].get<std::string>().find(
                  "station " + n.utf8 + " comes after " + n.utf8),
              std::string::npos);
  }
}

// The validator reads one log that holds every name of the table.
TEST(names_in_every_format, sarif_with_every_name_passes_the_validator) {
  ASSERT_TRUE(testing::sarif_validator_installed())
      << "the SARIF validator is missing: run scripts/setup";
  std::string train = "[generale]\r\n[stazioni]\r\n";
  std::string signals = "[segnali]\r\n";
  int position = 200;
  for (const name_case& n : names) {
    train += "stazione, " + std::to_string(position) +
             ", 26,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, " +
             n.bytes + "\r\n";
    signals += "\xC0segnale, " + n.bytes + ", 1\r\n";
    position -= 10;  // every station before the one above: warned of
  }
  temp_dir dir;
  write_file(dir / "line.txt", line_text);
  write_file(dir / "train.txt", train + signals + "[fine]\r\n");
  const process_result r =
      tool({"check", "--format", "sarif", (dir / "line.txt").string(),
            (dir / "train.txt").string()});
  EXPECT_EQ(r.status, 1);
  ASSERT_GE(json::parse(r.out)["runs"][0]["results"].size(),
            2 * std::size(names) - 1)
      << r.out;
  write_file(dir / "check.sarif", r.out);
  EXPECT_EQ(testing::sarif_validator_errors(dir / "check.sarif"),
            std::vector<std::string>{});
}

TEST(names_in_every_format, compile_diagnostics_show_the_quoted_name) {
  for (const name_case& n : names) {
    SCOPED_TRACE(n.utf8);
    temp_dir dir;
    write_file(dir / "line.txt", line_text);
    write_file(dir / "train.txt", "[generale]\r\n[segnali]\r\nsegnale, " +
                                      n.bytes + ", 1\r\n[fine]\r\n");
    const process_result r =
        tool({"compile", (dir / "line.txt").string(),
              (dir / "train.txt").string(), "-o", (dir / "out").string()});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(is_valid_utf8(r.err)) << r.err;
    EXPECT_NE(r.err.find(":3:10: error 25: reading or run-time failure while "
                         "compiling (\"" +
                         n.printable +
                         "\" is not a whole number)\n"
                         "    3 | segnale, " +
                         n.printable + ", 1\n      |          ^~"),
              std::string::npos)
        << r.err;
  }
}

// A path is bytes: text names it exactly, JSON and the page repair it with
// U+FFFD, SARIF percent-encodes it.
TEST(names_in_every_format, paths_that_are_not_utf8) {
  temp_dir dir;
  const std::filesystem::path folder = dir / "CITT\xC0";
  std::filesystem::create_directory(folder);
  const std::string line = (folder / "line.txt").string();
  const std::string train = (folder / "train.txt").string();
  write_file(line, line_text);
  write_file(train, checked_train("CITT\xC0"));
  const std::string shown = (dir / "CITT\uFFFD").string();

  const process_result text = tool({"check", line, train});
  EXPECT_NE(text.err.find("\n" + train + ":4:13: warning: "), std::string::npos)
      << text.err;

  const json j =
      json::parse(tool({"check", "--format", "json", line, train}).out);
  ASSERT_FALSE(j["findings"].empty());
  for (const json& f : j["findings"]) {
    EXPECT_EQ(f["file"], shown + "/train.txt");
  }

  const json log =
      json::parse(tool({"check", "--format", "sarif", line, train}).out);
  const std::string uri = log["runs"][0]["results"][0]["locations"][0]
                             ["physicalLocation"]["artifactLocation"]["uri"];
  EXPECT_NE(uri.find("/CITT%C0/train.txt"), std::string::npos) << uri;

  const std::string page = (dir / "page.html").string();
  const process_result report = tool({"report", line, train, "-o", page});
  EXPECT_EQ(report.status, 1) << report.err;
  const std::string html = read_file(page);
  EXPECT_TRUE(is_valid_utf8(html));
  EXPECT_NE(html.find(shown + "/train.txt"), std::string::npos);
}

// A folder compiled from the clean pair, its train (entry 86) and a station
// both named `name`.
struct compiled_folder {
  temp_dir dir;
  std::string out = (dir / "out").string();
  explicit compiled_folder(const std::string& name) {
    write_file(dir / "line.txt", line_text);
    write_file(dir / "train.txt", clean_train(name));
    const process_result r =
        tool({"compile", (dir / "line.txt").string(),
              (dir / "train.txt").string(), "-o", out, "--train", name});
    EXPECT_EQ(r.status, 0) << r.err;
  }
};

TEST(names_in_every_format, inspect_diff_and_report) {
  const compiled_folder plain("TARVENA");
  for (const name_case& n : names) {
    SCOPED_TRACE(n.utf8);
    const compiled_folder f(n.bytes);

    const process_result summary = tool({"inspect", f.out});
    EXPECT_EQ(summary.status, 0) << summary.err;
    EXPECT_TRUE(is_valid_utf8(summary.out));
    EXPECT_NE(summary.out.find(", train " + n.printable + "\n"),
              std::string::npos)
        << summary.out;
    EXPECT_NE(summary.out.find("  " + n.printable + "\n"), std::string::npos)
        << summary.out;

    const process_result js = tool({"inspect", f.out, "--format", "json"});
    EXPECT_EQ(js.status, 0) << js.err;
    const json j = json::parse(js.out);
    EXPECT_EQ(j["treno"], n.utf8);
    EXPECT_EQ(j["voci"][1]["nome"], n.utf8);
    EXPECT_EQ(j["voci"][86]["nome"], n.utf8);

    const process_result csv = tool({"inspect", f.out, "--format", "csv"});
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_TRUE(is_valid_utf8(csv.out));

    const process_result diff = tool({"diff", plain.out, f.out});
    if (n.bytes == "TARVENA") {
      EXPECT_EQ(diff.status, 0) << diff.out << diff.err;
    } else {
      EXPECT_EQ(diff.status, 1) << diff.err;
      EXPECT_TRUE(is_valid_utf8(diff.out));
      EXPECT_NE(diff.out.find("\"TARVENA\" \u2192 " + n.quoted),
                std::string::npos)
          << diff.out;
    }

    const std::string page = (f.dir / "report.html").string();
    const process_result report = tool({"report", f.out, "-o", page});
    EXPECT_EQ(report.status, 0) << report.err;
    const std::string html = read_file(page);
    EXPECT_TRUE(is_valid_utf8(html));
    EXPECT_NE(html.find(">" + n.printable + "<"), std::string::npos);
  }
}

}  // namespace
}  // namespace scenario
