#include "shell/run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "decoding/decoder.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::temp_dir;
using testing::write_file;

// A window that remembers what it was asked to show.
class recording_window : public window {
 public:
  void show_waiting() override { ++shown; }
  void errore(std::string_view a) override { boxes.emplace_back(a); }
  int shown = 0;
  std::vector<std::string> boxes;
};

const char* const line_head =
    "[generale]\r\n"
    "lunghezza percorso,    3000\r\n"
    "ripetizione segnali 4 codici,    0    ,0\r\n"
    "[curve]\r\n";
const char* const train_text =
    "[generale]\r\n"
    "numero vetture,    7\r\n"
    "[vel_limite]\r\n"
    "velocita,   0,    30\r\n"
    "[segnali]\r\n"
    "segnale,    1000,   1, 4, 1,  0, 0,    0,  0,0,0, 0\r\n"
    "[fine]\r\n";

struct fixture {
  temp_dir dir;
  recording_window ui;
  std::ostringstream err;
  scenario_model m;

  explicit fixture(const std::string& line_body) {
    write_file(dir / "line.txt",
               std::string(line_head) + line_body + "[fine]\r\n");
    write_file(dir / "train.txt", train_text);
    m.percorso = "R";
    m.treno = "T 1";
  }
  int run(int32_t j = 1) {
    compile_inputs in{dir / "line.txt", dir / "train.txt", false};
    return memorizza_percorso(m, j, in, dir.path(), ui, err);
  }
};

// Compiling in memory ends as the run on files would and leaves the same
// cells, entries and codes, for a clean pair, a recorded code and a line
// that never creates its cells.
TEST(compile_in_memory, matches_the_compilation_of_the_same_files) {
  for (const std::string body :
       {"curvad2,  100,  200\r\n",
        "[indicazioni]\r\ncartello_indicatore,  99999,   TESTO\r\n", ""}) {
    fixture f(body);
    if (body.empty()) write_file(f.dir / "line.txt", "[generale]\r\n");
    const int on_files = f.run();
    scenario_model in_memory;
    in_memory.percorso = f.m.percorso;
    in_memory.treno = f.m.treno;
    const int status =
        compile_in_memory(in_memory, 1, load_description(f.dir / "line.txt"),
                          load_description(f.dir / "train.txt"));
    EXPECT_EQ(status, on_files) << body;
    EXPECT_EQ(in_memory.celle, f.m.celle) << body;
    EXPECT_EQ(in_memory.voci, f.m.voci) << body;
    EXPECT_EQ(in_memory.codice_errore, f.m.codice_errore) << body;
    EXPECT_EQ(in_memory.diagnostics.size(), f.m.diagnostics.size()) << body;
  }
}

TEST(memorizza_percorso, clean_compile_writes_three_files_and_exits_0) {
  fixture f("curvad2,  100,  200\r\n");
  EXPECT_EQ(f.run(), exit_clean) << f.err.str();
  EXPECT_EQ(f.err.str(), "");
  EXPECT_EQ(read_file(f.dir / "R_T 1.dat").size(), (10000 / 50 + 1) * 15u);
  EXPECT_EQ(read_file(f.dir / "R_T 1.sim").size(), 87 * 34u + 1 + 3);
  EXPECT_FALSE(read_file(f.dir / "R_linea.dat").empty());
  EXPECT_TRUE(f.ui.boxes.empty());
  // The author's inputs stay.
  EXPECT_TRUE(std::filesystem::exists(f.dir / "line.txt"));
  EXPECT_TRUE(std::filesystem::exists(f.dir / "train.txt"));
}

TEST(memorizza_percorso, slot_in_use_shows_the_box_and_writes_nothing) {
  const struct {
    const char* board;
    const char* box;
  } cases[] = {
      // A board in cell 1 fills dato1, the marker's slot.
      {"indicatori_vmax,  0,  90,  95,  95,  0,  ,  ,  ,  0\r\n", "1250"},
      // With dato1 0 and dato2 set, the checksum's slot is taken.
      {"indicatori_vmax,  0,  0,  95,  95,  0,  ,  ,  ,  0\r\n", "1251"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.box);
    fixture f(std::string("[cartelli]\r\n") + c.board);
    for (const char* name : {"R_linea.dat", "R_T 1.sim", "R_T 1.dat"}) {
      write_file(f.dir / name, "earlier run");
    }
    EXPECT_EQ(f.run(), exit_errore);
    EXPECT_EQ(f.ui.boxes, std::vector<std::string>{c.box});
    EXPECT_EQ(f.err.str(),
              std::string("error ") + c.box + ": the " +
                  (c.box[3] == '0' ? "format marker" : "checksum") +
                  " slot is already in use\n");
    for (const char* name : {"R_linea.dat", "R_T 1.sim", "R_T 1.dat"}) {
      EXPECT_EQ(read_file(f.dir / name), "earlier run") << name;
    }
  }
}

TEST(memorizza_percorso, no_cell_array_writes_nothing_and_exits_2) {
  fixture f("");
  write_file(f.dir / "line.txt",
             "[generale]\r\nlunghezza percorso,    1000001\r\n[fine]\r\n");
  write_file(f.dir / "R_T 1.dat", "earlier run");
  EXPECT_EQ(f.run(), exit_no_cells);
  EXPECT_EQ(f.m.codice_errore, 1);
  EXPECT_EQ(read_file(f.dir / "R_T 1.dat"), "earlier run");
  EXPECT_FALSE(std::filesystem::exists(f.dir / "R_T 1.sim"));
  EXPECT_NE(f.err.str().find("error 1: line length above 1000000 m\n"),
            std::string::npos);
  EXPECT_NE(f.err.str().find("no binary file was written"), std::string::npos);
}

TEST(memorizza_percorso, refused_second_length_leaves_files_that_read_back) {
  // The cells exist from the first length when the second is refused: the
  // files are written, and entry 84 gives the length of their cells.
  const struct {
    const char* length;
    int code;
  } cases[] = {{"1000001", 1}, {"-110000", 25}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    fixture f("");
    write_file(f.dir / "line.txt",
               std::string("[generale]\r\nlunghezza percorso,    3000\r\n"
                           "lunghezza percorso,    ") +
                   c.length + "\r\n[fine]\r\n");
    EXPECT_EQ(f.run(), exit_recorded);
    EXPECT_EQ(f.m.codice_errore, c.code);
    EXPECT_EQ(f.m.voci[voce_index::treno_generale].fine, 3000);
    scenario_model back;
    const decode_result r = decode_scenario(f.dir.path(), "R", "T 1", back);
    EXPECT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(back.numero_celle, f.m.numero_celle);
    EXPECT_EQ(back.tracciato.size(), f.m.tracciato.size());
  }
}

TEST(memorizza_percorso, recorded_code_still_writes_the_files_and_exits_1) {
  // A tunnel record beyond the cell array: code 15, the train still compiles.
  fixture f("[montagne]\r\nmontagna,   9950,  10000,  11\r\n");
  EXPECT_EQ(f.run(), exit_recorded);
  EXPECT_EQ(f.m.codice_errore, 15);
  EXPECT_EQ(f.err.str(),
            (f.dir / "line.txt").filename().string() +
                ":6: error 15: record lies beyond the end of the cell array "
                "(position 9950 m)\n");
  EXPECT_EQ(read_file(f.dir / "R_T 1.dat").size(), 201 * 15u);
  EXPECT_EQ(f.m.celle[21].tipo, 1);  // the signal at 1000 m was stamped
}

TEST(memorizza_percorso, unwritable_output_exits_4_with_the_file_name) {
  fixture f("");
  compile_inputs in{f.dir / "line.txt", f.dir / "train.txt", false};
  EXPECT_EQ(memorizza_percorso(f.m, 1, in, f.dir / "missing", f.ui, f.err),
            exit_file_system);
  EXPECT_EQ(f.err.str(), "error: cannot write " +
                             (f.dir / "missing" / "R_linea.dat").string() +
                             ": No such file or directory\n");
}

TEST(memorizza_percorso, without_plan_leaves_an_old_plan_file_alone) {
  fixture f("curvad2,  100,  200\r\n");
  write_file(f.dir / "R_linea.dat", "earlier plan");
  EXPECT_EQ(f.run(0), exit_clean);
  EXPECT_EQ(read_file(f.dir / "R_linea.dat"), "earlier plan");
}

// The work runs only with the folder held; otherwise the status says why:
// 75 when another holder kept it, 4 when it cannot be locked at all.
TEST(with_folder_locked, runs_the_work_only_while_holding_the_folder) {
  temp_dir dir;
  write_file(dir / "plain", "");
  struct lock_case {
    const char* name;
    std::filesystem::path folder;
    bool held_by_another;
    int status;
    std::string err;  // with DIR standing for the folder
  };
  const lock_case cases[] = {
      {"free folder", dir.path(), false, 1, ""},
      {"held folder", dir.path(), true, 75,
       "error: DIR is still in use by another run after 0 s; try again "
       "later\n"},
      {"missing folder", dir / "missing", false, 4,
       "error: cannot lock DIR: No such file or directory\n"},
      {"a file, not a folder", dir / "plain", false, 4,
       "error: cannot lock DIR: Not a directory\n"},
  };
  for (const lock_case& c : cases) {
    SCOPED_TRACE(c.name);
    lock_result other;
    if (c.held_by_another) {
      other = lock_folder(c.folder, {.mode = lock_mode::shared,
                                     .wait = std::chrono::milliseconds(0)});
      ASSERT_TRUE(other.lock.held());
    }
    bool ran = false;
    bool held_while_running = false;
    std::ostringstream err;
    const int status = with_folder_locked(
        c.folder, std::chrono::milliseconds(0), err, {},
        [&] {
          ran = true;
          // Nobody else may take the folder while the work runs.
          held_while_running =
              lock_folder(c.folder, {.mode = lock_mode::shared,
                                     .wait = std::chrono::milliseconds(0)})
                  .outcome == lock_outcome::timed_out;
          return 1;
        },
        translator());
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(ran, c.status == 1);
    EXPECT_EQ(held_while_running, c.status == 1);
    std::string want = c.err;
    if (const size_t at = want.find("DIR"); at != std::string::npos) {
      want.replace(at, 3, c.folder.string());
    }
    EXPECT_EQ(err.str(), want);
  }
}

}  // namespace
}  // namespace scenario
