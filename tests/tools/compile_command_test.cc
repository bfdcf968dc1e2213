// `scenario compile` as a scenario author uses it: any pair of descriptions,
// errors as FILE:LINE:COLUMN: error CODE: meaning with the source line and a
// caret under the field, inputs never touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "shell/run.h"
#include "shell/window.h"
#include "sources/sources.h"
#include "testing/process.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::process_result;
using testing::read_file;
using testing::temp_dir;
using testing::write_file;

process_result compile(std::vector<std::string> args) {
  args.insert(args.begin(), "compile");
  args.insert(args.begin(), SCENARIO_TOOL_PATH);
  return testing::run_program(args, /*without_display=*/true);
}

// A small valid pair: 3000 m of line with one board, one signal.
const char* const small_line =
    "[generale]\r\n"                                              // 1
    "lunghezza percorso,    3000\r\n"                             // 2
    "ripetizione segnali 4 codici,    0    ,0\r\n"                // 3
    "[curve]\r\n"                                                 // 4
    "curvad2,  100,  200\r\n"                                     // 5
    "[indicazioni]\r\n"                                           // 6
    "cartello_indicatore,  1500,   (GALLERIA)(PROVA)(m.100)\r\n"  // 7
    "[fine]\r\n";
const char* const small_train =
    "[generale]\r\n"                                           // 1
    "numero vetture,    7\r\n"                                 // 2
    "[vel_limite]\r\n"                                         // 3
    "velocita,   0,    30\r\n"                                 // 4
    "[segnali]\r\n"                                            // 5
    "segnale,    1000,   1, 4, 1,  0, 0,    0,  0,0,0, 0\r\n"  // 6
    "[fine]\r\n";

struct author_files {
  temp_dir dir;
  std::string line = (dir / "line.txt").string();
  std::string train = (dir / "train.txt").string();
  std::string out = (dir / "out").string();

  author_files(const std::string& line_text, const std::string& train_text) {
    write_file(line, line_text);
    write_file(train, train_text);
  }
  process_result run(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {line, train, "-o", out};
    args.insert(args.end(), extra.begin(), extra.end());
    return compile(args);
  }
};

TEST(compile_command, clean_pair_writes_the_three_files_and_leaves_inputs) {
  author_files f(small_line, small_train);
  const process_result r = f.run();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(read_file(f.out + "/Tarvena_Olmisco_IR 4518.dat").size(),
            201 * 15u);
  EXPECT_TRUE(std::filesystem::exists(f.out + "/Tarvena_Olmisco_IR 4518.sim"));
  EXPECT_TRUE(std::filesystem::exists(f.out + "/Tarvena_Olmisco_linea.dat"));
  EXPECT_EQ(read_file(f.line), small_line);
  EXPECT_EQ(read_file(f.train), small_train);
}

TEST(compile_command, the_builds_own_pair_gives_the_runs_binary_files) {
  temp_dir dir;
  file_failure failure;
  ASSERT_TRUE(dati_linea(dir.path(), "Tarvena_Olmisco", &failure));
  ASSERT_TRUE(dati_treno(dir.path(), "Tarvena_Olmisco", "IR 4518", &failure));
  const std::string line =
      linea_txt_path(dir.path(), "Tarvena_Olmisco").string();
  const std::string train =
      treno_txt_path(dir.path(), "Tarvena_Olmisco", "IR 4518").string();
  const std::string line_before = read_file(line);
  const std::string train_before = read_file(train);
  const process_result r = compile({line, train, "-o", (dir / "out").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  // The same bytes as a whole run of the builder.
  temp_dir run_dir;
  auto console = make_console_window();
  std::ostringstream run_err;
  ASSERT_EQ(run_scenario(run_dir.path(), *console, run_err, translator()),
            exit_clean);
  for (const char* name :
       {"Tarvena_Olmisco_linea.dat", "Tarvena_Olmisco_IR 4518.sim",
        "Tarvena_Olmisco_IR 4518.dat"}) {
    EXPECT_EQ(read_file(dir / "out" / name), read_file(run_dir / name)) << name;
  }
  EXPECT_EQ(read_file(line), line_before);
  EXPECT_EQ(read_file(train), train_before);
}

TEST(compile_command, names_and_plan_follow_the_options) {
  author_files f(small_line, small_train);
  const process_result r =
      f.run({"--route", "Valle", "--train", "R 12", "--no-plan"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(f.out + "/Valle_R 12.dat"));
  EXPECT_TRUE(std::filesystem::exists(f.out + "/Valle_R 12.sim"));
  EXPECT_FALSE(std::filesystem::exists(f.out + "/Valle_linea.dat"));
}

// One case per class of error: the exit status and the exact report.
TEST(compile_command, errors_are_reported_with_line_column_and_caret) {
  struct error_case {
    const char* name;
    std::string line_text;
    std::string train_text;
    int status;
    std::string report;  // with LINE and TRAIN standing for the paths
  };
  const std::string line_head =
      std::string(small_line).substr(0, std::string(small_line).find("[fine]"));
  const std::vector<error_case> cases = {
      {"line rejection ends the compiler before the train",
       line_head + "cartello_indicatore,  1500,   (GALLERIA)(BIS)(m.100)\r\n",
       small_train, 1,
       "LINE:8:23: error 6: direction board on an occupied cell (position "
       "1+500, 1500 m)\n"
       "    8 | cartello_indicatore,  1500,   (GALLERIA)(BIS)(m.100)\n"
       "      |                       ^~~~\n"},
      {"train rejection names the train file and the record's line", small_line,
       std::string(small_train) +
           "segnale,    1000,   2, 4, 1,  0, 0,    0,  0,0,0, 0\r\n",
       1,
       "TRAIN:8:13: error 16: signal on an occupied cell (position 1+000, "
       "1000 m)\n"
       "    8 | segnale,    1000,   2, 4, 1,  0, 0,    0,  0,0,0, 0\n"
       "      |             ^~~~\n"},
      {"a record beyond the line is reported and compilation goes on",
       line_head + "[montagne]\r\nmontagna,   9950,  10000,  11\r\n",
       small_train, 1,
       "LINE:9:13: error 15: record lies beyond the end of the cell array "
       "(position 9+950, 9950 m)\n"
       "    9 | montagna,   9950,  10000,  11\n"
       "      |             ^~~~\n"},
      {"text where a number belongs is a reading failure", small_line,
       "[generale]\r\nnumero vetture,    sette\r\n", 1,
       "TRAIN:2:20: error 25: reading or run-time failure while compiling "
       "(\"sette\" is not a whole number)\n"
       "    2 | numero vetture,    sette\n"
       "      |                    ^~~~~\n"},
      {"a failure before the cells exist writes nothing",
       "[generale]\r\nlunghezza percorso,    2000000\r\n[fine]\r\n",
       small_train, 2,
       "LINE:2:24: error 1: line length above 1000000 m\n"
       "    2 | lunghezza percorso,    2000000\n"
       "      |                        ^~~~~~~\n"
       "error: the compiler ended before the cell array existed; no binary "
       "file was written and earlier ones are left as they were\n"},
      {"a line too short for the marker's cell writes nothing",
       "[generale]\r\nlunghezza percorso,    -6975\r\n[fine]\r\n", small_train,
       2,
       "LINE: error 25: reading or run-time failure while compiling (a line "
       "of -6975 m has no cell 1 for the format marker)\n"
       "error: the compiler ended before the cell array existed; no binary "
       "file was written and earlier ones are left as they were\n"},
  };
  for (const error_case& c : cases) {
    SCOPED_TRACE(c.name);
    author_files f(c.line_text, c.train_text);
    const process_result r = f.run();
    std::string want = c.report;
    for (auto [token, path] : {std::pair{"LINE", f.line}, {"TRAIN", f.train}}) {
      for (size_t at; (at = want.find(token)) != std::string::npos;) {
        want.replace(at, std::string(token).size(), path);
      }
    }
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, want);
    EXPECT_EQ(read_file(f.line), c.line_text);
    EXPECT_EQ(read_file(f.train), c.train_text);
  }
}

TEST(compile_command, missing_inputs_are_named_with_their_codes) {
  author_files f(small_line, small_train);
  const std::string nowhere = (f.dir / "nowhere.txt").string();
  process_result r = compile({nowhere, f.train, "-o", f.out});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1),
            nowhere + ": error 101: the line description does not exist\n");

  r = compile({f.line, nowhere, "-o", f.out});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.substr(0, nowhere.size() + 11), nowhere + ": error 25:");
  EXPECT_NE(r.err.find("No such file or directory"), std::string::npos)
      << r.err;
  EXPECT_EQ(read_file(f.line), small_line);
}

TEST(compile_command,
     slot_in_use_prints_the_error_box_text_and_writes_nothing) {
  const std::string line_head =
      std::string(small_line).substr(0, std::string(small_line).find("[fine]"));
  author_files f(line_head +
                     "[cartelli]\r\n"
                     "indicatori_vmax,  0,  90,  95,  95,  0,  ,  ,  ,"
                     "  0\r\n",
                 small_train);
  const process_result r = f.run();
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err,
            "error 1250: the format marker slot is already in use\n"
            " Errore n. 1250\n");
  EXPECT_FALSE(std::filesystem::exists(f.out + "/Tarvena_Olmisco_IR 4518.dat"));
}

TEST(compile_command, help_and_bad_arguments) {
  process_result r = compile({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("--no-plan"), std::string::npos);
  EXPECT_NE(r.out.find("-o,--output"), std::string::npos);

  for (const std::vector<std::string>& bad : {std::vector<std::string>{},
                                              {"line.txt", "train.txt"},
                                              {"a", "b", "-o", "d", "--bogus"},
                                              {"a", "b", "c", "-o", "d"}}) {
    r = compile(bad);
    EXPECT_EQ(r.status, 64);
    EXPECT_EQ(r.err.rfind("scenario: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("Usage:"), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace scenario
