// `scenario lsp` in a real editor: headless Neovim runs
// tests/tools/neovim_probe.lua against the build's descriptions with one
// error planted, and this test reads what the probe saw.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "editing/formatter.h"
#include "model/text_8bit.h"
#include "testing/lsp_fixture.h"
#include "testing/process.h"

namespace scenario::testing {
namespace {

json codes(const json& publication) {
  json out = json::array();
  for (const json& d : publication["diagnostics"]) out.push_back(d["code"]);
  return out;
}

bool has(const json& list, const json& value) {
  for (const json& v : list) {
    if (v == value) return true;
  }
  return false;
}

TEST(neovim, an_author_sees_problems_hovers_completes_fixes_and_formats) {
  build_pair_files f;
  // The planted error: the letter O in a speed-limit position. The change
  // to 95 km/h at 850 m is lost, so the line's board there announces none.
  std::string planted = read_file(f.train);
  const size_t at = planted.find("velocita,     850,");
  ASSERT_NE(at, std::string::npos);
  planted.replace(at, 18, "velocita,     85O,");
  write_file(f.train, planted);
  const int error_line = line_starting(f.train_text, "velocita,     850,");
  const int board_line = line_starting(f.line_text, "indicatori_vmax,  850,");
  const int signal_line = line_starting(f.train_text, "segnale,    2400,");
  const int station_line = line_starting(f.train_text, "stazione,  101200,");
  // A badly spaced copy to format.
  std::string spaced = read_file(f.train);
  for (size_t p = 0; (p = spaced.find(", ", p)) != std::string::npos; p += 4) {
    spaced.replace(p, 2, ",   ");
  }
  const std::filesystem::path spaced_file = f.dir / "Spaced_copy-.txt";
  write_file(spaced_file, spaced);

  const std::filesystem::path output = f.dir / "probe.json";
  const std::filesystem::path params = f.dir / "params.json";
  write_file(params, json{{"tool", SCENARIO_TOOL_PATH},
                          {"root", f.dir.path().string()},
                          {"line", f.line.string()},
                          {"train", f.train.string()},
                          {"spaced", spaced_file.string()},
                          {"output", output.string()},
                          {"signal_line", signal_line},
                          {"error_line", error_line},
                          {"error_column", 14},
                          {"station_line", station_line}}
                         .dump());
  const process_result r =
      run_program({"/usr/bin/timeout", "180", "/usr/bin/nvim", "--headless",
                   "-u", "NONE", "-i", "NONE", "-n", "-c",
                   "let g:probe_params = '" + params.string() + "'", "-c",
                   std::string("luafile ") + SCENARIO_NEOVIM_PROBE});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::string seen = read_file(output);
  // For a person to read what the probe saw.
  if (const char* keep = std::getenv("SCENARIO_KEEP_PROBE")) {
    write_file(keep, seen);
  }
  const json probe = json::parse(seen);
  ASSERT_TRUE(probe["ok"]) << probe.dump(2);

  // The diagnostics, as published: the error at its field, the line's
  // warning it causes, with their codes.
  const json& train = probe["train_diagnostics"];
  ASSERT_TRUE(has(codes(train), 25)) << train.dump();
  for (const json& d : train["diagnostics"]) {
    if (d["code"] != 25) continue;
    EXPECT_EQ(d["range"]["start"],
              json({{"line", error_line}, {"character", 14}}));
    EXPECT_EQ(d["severity"], 1);
  }
  EXPECT_FALSE(has(codes(train), "speed-board-missing"));  // switched off
  const json& line = probe["line_diagnostics"];
  ASSERT_TRUE(has(codes(line), "speed-board-unmatched")) << line.dump();
  for (const json& d : line["diagnostics"]) {
    if (d["code"] != "speed-board-unmatched") continue;
    EXPECT_EQ(d["range"]["start"],
              json({{"line", board_line}, {"character", 18}}));
  }
  // And as Neovim shows them in its buffer.
  bool shown = false;
  for (const json& d : probe["shown"]) {
    shown |= d["code"] == 25 && d["lnum"] == error_line && d["col"] == 14 &&
             d["severity"] == 1;
  }
  EXPECT_TRUE(shown) << probe["shown"].dump();

  const std::string hover = probe["hover"]["contents"]["value"];
  EXPECT_NE(hover.find("2+400"), std::string::npos) << hover;
  EXPECT_NE(hover.find("**posizione**"), std::string::npos) << hover;

  ASSERT_FALSE(probe["completion"].empty());
  EXPECT_EQ(probe["completion"][0]["label"], "segnale");
  // Neovim's client declares no snippet support: the key comes plain.
  const json& first = probe["completion"][0];
  EXPECT_EQ(first.value("insertText", first["label"].get<std::string>()),
            "segnale, ")
      << first.dump();
  EXPECT_NE(first.value("insertTextFormat", 1), 2) << first.dump();
  bool stations = false;
  for (const json& s : probe["outline"]) {
    if (s["name"] == "[stazioni]") {
      stations = s["children"].size() == 20 &&
                 s["children"][0] == "TARVENA 0+200" &&
                 s["children"][19] == "OLMISCO 101+200";
    }
  }
  EXPECT_TRUE(stations) << probe["outline"].dump();

  // The typed fix clears the problem from both files.
  EXPECT_FALSE(has(codes(probe["train_after_fix"]), 25))
      << probe["train_after_fix"].dump();
  EXPECT_FALSE(has(codes(probe["line_after_fix"]), "speed-board-unmatched"))
      << probe["line_after_fix"].dump();
  EXPECT_GE(probe["train_after_fix"]["version"].get<int>(), 1);

  // The quick fix moves the terminus back inside the line.
  EXPECT_EQ(probe["actions"],
            json::array({"Move the record back inside the line"}));
  EXPECT_FALSE(has(codes(probe["train_after_quick_fix"]), "beyond-line"))
      << probe["train_after_quick_fix"].dump();
  EXPECT_EQ(probe["station_line_text"].get<std::string>().substr(0, 17),
            "stazione,  99500,");

  // Formatting gives the formatter's text, line for line.
  const std::string canonical =
      windows1252_to_utf8(editing::format_description(spaced));
  std::string lines;
  for (const json& l : probe["formatted_lines"]) {
    lines += l.get<std::string>() + "\r\n";
  }
  EXPECT_EQ(probe["formatted_fileformat"], "dos");
  EXPECT_EQ(lines, canonical);
  EXPECT_NE(canonical, windows1252_to_utf8(spaced));

  EXPECT_EQ(probe["exit_code"], 0);
}

}  // namespace
}  // namespace scenario::testing
