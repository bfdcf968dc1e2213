#include "compiler/compiler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "compiler/fixtures/descriptions.h"
#include "model/model.h"
#include "sources/sources.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using testing::first_body_line;
using testing::first_train_line;
using testing::line_description;
using testing::read_file;
using testing::temp_dir;
using testing::train_description;
using testing::untouched_position;
using testing::write_file;

// The two descriptions in a temporary folder under the run's file names.
struct sources_on_disk {
  temp_dir dir;
  fs::path linea = dir / "Tarvena_Olmisco_linea.txt";
  fs::path treno = dir / "Tarvena_Olmisco_IR 4518-.txt";

  sources_on_disk(const std::optional<std::string>& line_text,
                  const std::optional<std::string>& train_text) {
    if (line_text) write_file(linea, *line_text);
    if (train_text) write_file(treno, *train_text);
  }

  scenario_model compile(bool delete_sources = true, int32_t j = 1) const {
    scenario_model m;
    m.percorso = "Tarvena_Olmisco";
    m.treno = "IR 4518";
    reset(m, j);
    m.posizione_errore = untouched_position;
    memorizza_dati(m, {linea, treno, delete_sources});
    return m;
  }
};

// A line of 10 km with a direction board at 2400 m (cell 49).
const std::string& good_line() {
  static const std::string text = line_description(
      10000, {"pendenza,   0,    0", "cartello_indicatore,  2400,   (A)"});
  return text;
}

// A train description whose records follow "numero vetture, 7" and a speed
// record; `last` is on file line first_train_line + 2.
std::string train_with(const std::string& last = "aderenza, 0, 100") {
  return train_description({"numero vetture,    7", "velocita, 0, 30", last});
}

std::string station(int32_t p, int kind, int32_t length) {
  return "stazione, " + std::to_string(p) + ", " + std::to_string(kind) + ", " +
         std::to_string(length) + ", 0,0,0, 0,0,0, 0,0,0, 0, 7,0,0, S";
}

// 78 direction boards leave entry 2 as the next free one.
std::string line_with_78_boards() {
  std::vector<std::string> boards;
  for (int i = 0; i < 78; ++i) {
    boards.push_back("cartello_indicatore, " + std::to_string(100 * i) +
                     ", (B)");
  }
  return line_description(10000, boards);
}

// `n` short tunnels of kind 1, one every 100 m.
std::string line_with_tunnels(int n) {
  std::vector<std::string> tunnels;
  for (int i = 0; i < n; ++i) {
    tunnels.push_back("montagna, " + std::to_string(100 * i) + ", " +
                      std::to_string(100 * i + 50) + ", 1");
  }
  return line_description(10000, tunnels);
}

// What a compilation leaves on disk.
enum class left_on_disk { both, train, nothing };
// The description a diagnostic names.
enum class named { line, train };

struct file_case {
  const char* what;
  std::optional<std::string> line_text;   // empty: no such file
  std::optional<std::string> train_text;  // empty: no such file
  int code;                               // 0: no code
  std::optional<int32_t> posizione;
  left_on_disk left;
  bool train_read;  // the train's records were compiled
  named file;
  int diagnostic_line;
};

std::vector<file_case> file_cases() {
  constexpr std::nullopt_t none = std::nullopt;
  constexpr int body = first_body_line;
  const int train_last = first_train_line + 2;
  const std::string two_boards_400 = line_description(
      1000, {"cartello_indicatore, 400, (A)", "cartello_indicatore, 400, (B)"});
  const std::string board_and_speed_board_400 =
      line_description(1000, {"cartello_indicatore, 400, (A)",
                              "indicatori_vmax, 400, 90, 95, 95, 0, , , , 0"});
  const std::string no_length =
      "[generale]\r\n[curve]\r\npendenza, 0, 0\r\n[fine]\r\n";
  const auto with_general = [](const std::string& record) {
    return line_description(1000, {}, {record});
  };
  using enum left_on_disk;
  // clang-format off
  return {
    {"success", good_line(), train_with(), 0, none, nothing, true, named::line, 0},
    // Nothing is opened or deleted.
    {"101 missing line file", none, train_with(), 101, none, train, false, named::line, 0},
    // Line rejections: the train description stays.
    {"102", "x\r\n[generale]\r\n", train_with(), 102, none, train, false, named::line, 0},
    {"1", line_description(1000001), train_with(), 1, none, train, false, named::line, 2},
    {"3", with_general("ripetizione segnali 4 codici, 520, 0"), train_with(), 3, none, train, false, named::line, 10},
    {"4", with_general("ripetizione segnali 4 codici, 500, 1025"), train_with(), 4, none, train, false, named::line, 10},
    {"5", with_general("ripetizione segnali codici, 500, 0"), train_with(), 5, none, train, false, named::line, 10},
    {"103", line_description(1000, {"curvad7, 100, 100"}), train_with(), 103, none, train, false, named::line, body},
    {"6", two_boards_400, train_with(), 6, 400, train, false, named::line, body + 1},
    {"21", board_and_speed_board_400, train_with(), 21, 400, train, false, named::line, body + 1},
    // Code 15 in the line ends its body only; the train is compiled.
    {"15 in the line", line_description(1000, {"pendenza, 7901, 1"}), train_with(), 15, 7901, nothing, true, named::line, body},
    // Train rejections: both descriptions are gone.
    {"16", good_line(), train_with("segnale, 2400, 1, 4, 1, 0, 0, 0, 0,0,0, 0"), 16, 2400, nothing, true, named::train, train_last},
    {"18", good_line(), train_with("rallentamento, 2400, 60, 1000, 1, 0, 0"), 18, 2400, nothing, true, named::train, train_last},
    {"7", good_line(), train_with("abbattimento, 2450, 60"), 7, 2450, nothing, true, named::train, train_last},
    {"8", good_line(), train_with(station(5010, 12, 600)), 8, 5010, nothing, true, named::train, train_last},
    {"9", good_line(), train_with(station(5000, 12, 650)), 9, 5000, nothing, true, named::train, train_last},
    {"24", good_line(), train_with(station(0, 12, 100)), 24, none, nothing, true, named::train, train_last},
    {"22", good_line(), train_description({"numero vetture,    7", station(3000, 12, 600), station(3900, 12, 600)}), 22, 3900, nothing, true, named::train, train_last},
    {"10", line_with_78_boards(), train_with(station(9000, 12, 600)), 10, none, nothing, true, named::train, train_last},
    {"15 in the train", good_line(), train_with(station(16300, 12, 600)), 15, 16300, nothing, true, named::train, train_last},
    {"2", with_general("progressiva chilometrica tre, 0, 30, 1"), train_with(), 2, none, nothing, true, named::train, 0},
    // Run-time failures: both descriptions are deleted.
    {"25 text for a number", line_description(1000, {"pendenza, 0, zero"}), train_with(), 25, none, nothing, false, named::line, body},
    {"25 number beyond 32 bits", line_description(99999999999), train_with(), 25, none, nothing, false, named::line, 2},
    // With the plan the failure comes between the blocks, when metres 0 and
    // 1 are set: no record is being read.
    {"25 cells before the length", no_length, train_with(), 25, none, nothing, false, named::line, 0},
    {"25 empty line file", "", train_with(), 25, none, nothing, false, named::line, 1},
    {"25 missing train file", good_line(), none, 25, none, nothing, false, named::train, 0},
    {"25 text in the train", good_line(), train_with("aderenza, 0, wet"), 25, none, nothing, true, named::train, train_last},
    {"25 station kind beyond 8 bits", good_line(), train_with(station(5000, 300, 600)), 25, none, nothing, true, named::train, train_last},
    // Anything that would reach outside an array is a run-time failure too.
    {"25 tunnel ending past the last cell", line_description(10000, {"montagna, 16900, 17500, 11"}), train_with(), 25, none, nothing, false, named::line, body},
    {"25 an 81st tunnel", line_with_tunnels(81), train_with(), 25, none, nothing, false, named::line, body + 80},
    {"25 signal whose approach cells fall below cell 0", good_line(), train_with("segnale, 300, 1, 4, 1, 0, 0, 0, 0,0,0, 0"), 25, none, nothing, true, named::train, train_last},
    {"25 slowdown ending past the last cell", good_line(), train_with("rallentamento, 16800, 60, 1000, 1, 0, 0"), 25, none, nothing, true, named::train, train_last},
    {"25 negative position", good_line(), train_with("abbattimento, -500, 60"), 25, none, nothing, true, named::train, train_last},
  };
  // clang-format on
}

TEST(memorizza_dati, codes_deletions_and_diagnostics) {
  for (const file_case& c : file_cases()) {
    SCOPED_TRACE(c.what);
    const sources_on_disk files(c.line_text, c.train_text);
    const scenario_model m = files.compile();

    EXPECT_EQ(m.codice_errore, c.code);
    EXPECT_EQ(m.posizione_errore, c.posizione.value_or(untouched_position));
    EXPECT_EQ(fs::exists(files.linea), c.left == left_on_disk::both);
    EXPECT_EQ(fs::exists(files.treno), c.left != left_on_disk::nothing);
    EXPECT_EQ(m.voci[voce_index::treno_generale].posizione,
              c.train_read ? 7 : 0);
    EXPECT_EQ(m.voci[voce_index::percorso_generale].nome, "Tarvena_Olmisco");
    EXPECT_EQ(m.voci[voce_index::segnali_generale].nome, "IR 4518");
    if (c.code == 0) {
      EXPECT_TRUE(m.diagnostics.empty());
      continue;
    }
    ASSERT_FALSE(m.diagnostics.empty());
    const diagnostic& d = m.diagnostics.back();
    EXPECT_EQ(d.codice, c.code);
    EXPECT_EQ(d.posizione, c.posizione);
    EXPECT_EQ(d.file,
              (c.file == named::train ? files.treno : files.linea).string());
    EXPECT_EQ(d.line, c.diagnostic_line);
  }
}

TEST(memorizza_dati, inputs_stay_byte_identical_when_not_deleting) {
  for (const file_case& c : file_cases()) {
    SCOPED_TRACE(c.what);
    const sources_on_disk files(c.line_text, c.train_text);
    const scenario_model m = files.compile(/*delete_sources=*/false);
    EXPECT_EQ(m.codice_errore, c.code);
    EXPECT_EQ(fs::exists(files.linea), c.line_text.has_value());
    EXPECT_EQ(fs::exists(files.treno), c.train_text.has_value());
    if (c.line_text) {
      EXPECT_EQ(read_file(files.linea), *c.line_text);
    }
    if (c.train_text) {
      EXPECT_EQ(read_file(files.treno), *c.train_text);
    }
  }
}

// Cell 1 carries the format marker: a line whose cells stop at cell 0 is
// refused once read, with or without the plan, and leaves no cells to write.
TEST(memorizza_dati, line_without_cell_1_is_a_run_time_failure_without_cells) {
  const struct {
    int32_t length;
    int32_t j;
  } cases[] = {{-7000, 0}, {-7000, 1}, {-6975, 0}, {-6975, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.length) + " m, j " + std::to_string(c.j));
    const sources_on_disk files(line_description(c.length), train_with());
    const scenario_model m = files.compile(true, c.j);
    EXPECT_EQ(m.codice_errore, 25);
    ASSERT_FALSE(m.diagnostics.empty());
    EXPECT_EQ(m.diagnostics.back().file, files.linea.string());
    EXPECT_EQ(m.diagnostics.back().detail,
              "a line of " + std::to_string(c.length) +
                  " m has no cell 1 for the format marker");
    EXPECT_FALSE(m.has_cells());
    EXPECT_FALSE(m.tracciato.exists());
    EXPECT_FALSE(fs::exists(files.treno));  // a failure deletes both
    EXPECT_EQ(m.voci[voce_index::treno_generale].posizione, 0);
  }
  // One metre more rounds to cell 1.
  const sources_on_disk files(line_description(-6974), train_with());
  const scenario_model m = files.compile();
  EXPECT_NE(m.codice_errore, 25);  // the train's records lie beyond it: 15
  ASSERT_TRUE(m.has_cells());
  EXPECT_EQ(m.numero_celle, 1);
}

TEST(memorizza_dati, line_kept_by_the_model_after_each_kind_of_ending) {
  {
    SCOPED_TRACE("101: no cells at all");
    const sources_on_disk files({}, train_with());
    EXPECT_FALSE(files.compile().has_cells());
  }
  {
    SCOPED_TRACE("line rejection: the closing steps are left undone");
    const sources_on_disk files(
        line_description(1000, {"cartello_indicatore, 400, (A)",
                                "cartello_indicatore, 400, (B)"}),
        train_with());
    const scenario_model m = files.compile();
    ASSERT_TRUE(m.has_cells());
    EXPECT_EQ(m.celle[0].pendenza, 0);
    EXPECT_EQ(m.celle[9].tipo, tipo_cella::cartello_indicatore);
    EXPECT_EQ(m.tracciato.kind(2, 0), tracciato_t::genere::vuoto);
  }
  {
    SCOPED_TRACE("missing train file: the line is compiled");
    const sources_on_disk files(good_line(), {});
    const scenario_model m = files.compile();
    EXPECT_EQ(m.celle[0].pendenza, 100);
    EXPECT_EQ(m.celle[0].velocita_limite, 0);
    EXPECT_EQ(m.celle[49].tipo, tipo_cella::cartello_indicatore);
  }
}

TEST(memorizza_dati, compiles_the_builds_own_descriptions_without_a_code) {
  temp_dir dir;
  file_failure failure;
  ASSERT_TRUE(dati_linea(dir.path(), "Tarvena_Olmisco", &failure));
  ASSERT_TRUE(dati_treno(dir.path(), "Tarvena_Olmisco", "IR 4518", &failure));
  const compile_inputs in{
      linea_txt_path(dir.path(), "Tarvena_Olmisco"),
      treno_txt_path(dir.path(), "Tarvena_Olmisco", "IR 4518"), true};
  scenario_model m;
  m.percorso = "Tarvena_Olmisco";
  m.treno = "IR 4518";
  reset(m, 1);
  memorizza_dati(m, in);

  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_TRUE(m.diagnostics.empty());
  EXPECT_FALSE(fs::exists(in.linea));
  EXPECT_FALSE(fs::exists(in.treno));
  EXPECT_EQ(m.lunghezza_estesa, 106500);
  EXPECT_EQ(m.numero_celle, 2130);
  for (int i = 0; i <= 2130; ++i) {
    const cella& c = m.celle[i];
    const bool filled = i <= 2127;
    EXPECT_EQ(c.pendenza, filled ? 100 : 0) << i;
    EXPECT_EQ(c.aderenza, filled ? 100 : 0) << i;
  }
  const auto speed = [&](int i) { return m.celle[i].velocita_limite; };
  EXPECT_EQ(speed(0), 6);
  EXPECT_EQ(speed(16), 6);
  EXPECT_EQ(speed(17), 19);
  EXPECT_EQ(speed(721), 19);
  EXPECT_EQ(speed(1981), 19);  // 95 km/h from 59300 m
  EXPECT_EQ(speed(1982), 6);   // 30 km/h from 99100 m
  EXPECT_EQ(speed(2127), 6);
  EXPECT_EQ(speed(2128), 0);
  // Station 1 and its marks; 24 boards in entries 80 to 57, 20 stations.
  EXPECT_EQ(m.voci[1].fine, 600);
  EXPECT_EQ(m.celle[11].tipo, tipo_cella::fine_stazione);
  EXPECT_EQ(m.celle[7].avviso, 84);
  EXPECT_EQ(m.celle[178].tipo, tipo_cella::cartello_indicatore);
  EXPECT_EQ(m.celle[178].dato1, 80);
  EXPECT_FALSE(m.voci[57].nome.empty());
  EXPECT_TRUE(m.voci[56].nome.empty());
  EXPECT_EQ(m.voci[20].nome, "OLMISCO");
  EXPECT_EQ(m.tracciato.kind(106498, 0), tracciato_t::genere::doppio);
  EXPECT_EQ(m.tracciato.kind(106499, 0), tracciato_t::genere::vuoto);
}

TEST(memorizza_dati, compiles_a_generated_1000_km_line_in_one_pass) {
  std::vector<std::string> body;
  for (int i = 0; i < 500; ++i) {
    body.push_back((i % 2 == 0 ? "curvad2, " : "curvas3, ") +
                   std::to_string(2000 * i) + ", 500");
  }
  for (int i = 0; i < 1000; ++i) {
    body.push_back("pendenza, " + std::to_string(1000 * i) + ", " +
                   std::to_string(i % 20 - 10));
  }
  for (int i = 0; i < 80; ++i) {
    body.push_back("montagna, " + std::to_string(12000 * i + 600) + ", " +
                   std::to_string(12000 * i + 5600) + ", 11");
  }
  std::vector<std::string> train = {"numero vetture, 7"};
  for (int i = 0; i < 1000; ++i) {
    train.push_back("velocita, " + std::to_string(1000 * i) + ", " +
                    std::to_string(100 + (i % 5) * 10));
    train.push_back("aderenza, " + std::to_string(1000 * i) + ", 100");
  }
  for (int32_t p = 1000; p < 995000; p += 1350) {
    train.push_back("segnale, " + std::to_string(p) +
                    ", 1, 4, 1, 0, 0, 0, 0,0,0, 0");
  }
  for (int i = 0; i < 50; ++i) {
    train.push_back(station(10000 + 20000 * i, 12, 600));
  }
  const sources_on_disk files(line_description(1000000, body),
                              train_description(train));
  const scenario_model m = files.compile();

  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(m.numero_celle, 20140);
  EXPECT_EQ(m.tracciato.kind(1006998, 0), tracciato_t::genere::doppio);
  EXPECT_EQ(m.tracciato.kind(1006999, 0), tracciato_t::genere::vuoto);
  EXPECT_EQ(m.numero_montagne, 80);
  EXPECT_EQ(m.voci[50].nome, "S");
  EXPECT_EQ(m.celle[20137].velocita_limite, 28);  // 140 km/h from 999000 m
  EXPECT_EQ(m.celle[20138].velocita_limite, 0);
}

}  // namespace
}  // namespace scenario
