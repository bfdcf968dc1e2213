#include "output/binary_files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <string>

#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::names_in;
using testing::read_file;
using testing::temp_dir;
using testing::write_file;

std::string bytes(std::initializer_list<int> b) {
  std::string s;
  for (int v : b) s += static_cast<char>(v);
  return s;
}

// Writes one record through `write` and returns the bytes of the file.
template <typename F>
std::string written(F write) {
  temp_dir dir;
  replacement_file out(dir / "r");
  write(out);
  EXPECT_TRUE(out.commit());
  return read_file(dir / "r");
}

scenario_model small_model(int32_t con_tracciato) {
  scenario_model m;
  m.percorso = "Tarvena_Olmisco";
  m.treno = "IR 4518";
  m.con_tracciato = con_tracciato;
  create_cells(m, 99500);
  m.voci[85].nome = m.percorso;
  m.voci[86].nome = m.treno;
  return m;
}

TEST(binary_layout, cell_is_fifteen_bytes_in_field_order) {
  cella c;
  c.tipo = 1;
  c.dato1 = 0x1234;
  c.dato2 = -2;
  c.dato3 = 3;
  c.dato4 = 6;
  c.tempo = 101;
  c.avviso = 61;
  c.montagna = 2;
  c.velocita_limite = 19;
  c.pendenza = 100;
  c.aderenza = 255;
  EXPECT_EQ(
      written([&](replacement_file& o) { write_cella(o, c); }),
      bytes({1, 0x34, 0x12, 0xFE, 0xFF, 3, 0, 6, 0, 101, 61, 2, 19, 100, 255}));
}

TEST(binary_layout, entry_with_empty_name_is_34_bytes) {
  voce v;
  v.tipo = 12;
  v.inizio = -150;
  v.fine = 600;
  v.posizione = 200;
  v.flag1 = 1;
  v.num1 = 4;
  v.num2 = 1;
  v.num3 = 2;
  v.num4 = 1;
  v.num5 = -1;
  v.flag2 = 7;
  v.flag3 = 8;
  v.flag4 = 9;
  v.flag5 = 10;
  v.orario = 25500;
  EXPECT_EQ(written([&](replacement_file& o) { write_voce(o, v); }),
            bytes({12, 0x6A, 0xFF, 0xFF, 0xFF, 0x58, 2, 0, 0, 200, 0, 0, 0, 1,
                   0, 0,  // empty text: length 00 00
                          // and nothing after
                   4, 0, 1, 0, 2, 0, 1, 0, 0xFF, 0xFF, 7, 8, 9, 10, 0x9C, 0x63,
                   0, 0}));
}

TEST(binary_layout, entry_name_is_length_then_characters) {
  voce v;
  v.nome = "LUVEA";
  const std::string b = written([&](replacement_file& o) { write_voce(o, v); });
  ASSERT_EQ(b.size(), 34u + 5u);
  EXPECT_EQ(b.substr(14, 2), bytes({5, 0}));
  EXPECT_EQ(b.substr(16, 5), "LUVEA");
  EXPECT_EQ(b.substr(21), std::string(18, '\0'));
}

TEST(binary_layout, plan_elements_carry_their_type_code) {
  tracciato_t t;
  t.create(2);
  t.set_int16(0, 0, -3);
  t.set_double(1, 1, 1.5);
  double one_and_a_half = 1.5;
  std::string dbl(8, '\0');
  std::memcpy(dbl.data(), &one_and_a_half, 8);
  EXPECT_EQ(written([&](replacement_file& o) {
              write_plan_element(o, t, 0, 0);
              write_plan_element(o, t, 1, 1);
              write_plan_element(o, t, 2, 0);
            }),
            bytes({2, 0, 0xFD, 0xFF, 5, 0}) + dbl + bytes({0, 0}));
}

TEST(marker_slots, fill_markers_and_checksums) {
  scenario_model m = small_model(0);
  ASSERT_EQ(fill_marker_slots(m), 0);
  EXPECT_EQ(m.voci[85].num1, 610);
  EXPECT_EQ(m.celle[1].dato1, 5121);
  EXPECT_EQ(m.voci[85].orario, 32651);
  EXPECT_EQ(m.celle[1].dato2, 2359);
  EXPECT_EQ(m.riga, "ir 4518tarvena_olmiscoaab");
}

TEST(marker_slots, slot_in_use_is_refused) {
  {
    scenario_model m = small_model(0);
    m.celle[1].dato1 = 40;  // a signal in cell 1
    EXPECT_EQ(fill_marker_slots(m), 1250);
    EXPECT_EQ(m.voci[85].num1, 0);
  }
  {
    scenario_model m = small_model(0);
    m.voci[85].num1 = 1;
    EXPECT_EQ(fill_marker_slots(m), 1250);
  }
  {
    scenario_model m = small_model(0);
    m.celle[1].dato2 = 10;
    EXPECT_EQ(fill_marker_slots(m), 1251);
    EXPECT_EQ(m.voci[85].orario, 0);
  }
  {
    scenario_model m = small_model(0);
    m.voci[85].orario = 5;
    EXPECT_EQ(fill_marker_slots(m), 1251);
  }
}

TEST(binary_files, sizes_and_markers_of_a_whole_model) {
  temp_dir dir;
  scenario_model m = small_model(1);
  m.tracciato.set_int16(0, 0, 0);
  m.tracciato.set_int16(0, 1, 0);
  m.tracciato.set_int16(1, 0, 0);
  m.tracciato.set_int16(1, 1, 1);
  for (int64_t i = 2; i <= 106498; ++i) {
    m.tracciato.set_double(i, 0, 0.0);
    m.tracciato.set_double(i, 1, static_cast<double>(i));
  }
  ASSERT_EQ(fill_marker_slots(m), 0);
  file_failure f;
  ASSERT_TRUE(write_binary_files(m, dir.path(), &f)) << f.message();

  const std::string cells = read_file(dir / "Tarvena_Olmisco_IR 4518.dat");
  EXPECT_EQ(cells.size(), 31965u);
  EXPECT_EQ(cells.substr(16, 4),
            bytes({0x01, 0x14, 0x37, 0x09}));  // 5121, 2359

  const std::string sim = read_file(dir / "Tarvena_Olmisco_IR 4518.sim");
  EXPECT_EQ(sim.size(), 87u * 34u + 15u + 7u);

  const std::string plan = read_file(dir / "Tarvena_Olmisco_linea.dat");
  // Per coordinate: 2 integers, 106497 doubles, 2 empty metres.
  EXPECT_EQ(plan.size(), 2u * (2 * 4 + 106497 * 10 + 2 * 2));
  EXPECT_EQ(plan.substr(0, 4), bytes({2, 0, 0, 0}));
  const size_t y0 = plan.size() / 2;
  EXPECT_EQ(plan.substr(y0, 4), bytes({2, 0, 0, 0}));
  EXPECT_EQ(plan.substr(y0 + 4, 4), bytes({2, 0, 1, 0}));
  EXPECT_EQ(plan.substr(y0 - 4, 4), bytes({0, 0, 0, 0}));
}

TEST(binary_files, without_plan_an_existing_plan_file_is_left_alone) {
  temp_dir dir;
  write_file(dir / "Tarvena_Olmisco_linea.dat", "old plan");
  scenario_model m = small_model(0);
  ASSERT_EQ(fill_marker_slots(m), 0);
  file_failure f;
  ASSERT_TRUE(write_binary_files(m, dir.path(), &f));
  EXPECT_EQ(read_file(dir / "Tarvena_Olmisco_linea.dat"), "old plan");
  EXPECT_EQ(read_file(dir / "Tarvena_Olmisco_IR 4518.dat").size(), 31965u);
}

const char* const plan_name = "Tarvena_Olmisco_linea.dat";
const char* const entries_name = "Tarvena_Olmisco_IR 4518.sim";
const char* const cells_name = "Tarvena_Olmisco_IR 4518.dat";

void write_old_set(const temp_dir& dir) {
  for (const char* name : {plan_name, entries_name, cells_name}) {
    write_file(dir / name, std::string("old ") + name);
  }
}

void expect_old_set(const temp_dir& dir) {
  for (const char* name : {plan_name, entries_name, cells_name}) {
    EXPECT_EQ(read_file(dir / name), std::string("old ") + name) << name;
  }
  EXPECT_EQ(names_in(dir.path()),
            (std::set<std::string>{plan_name, entries_name, cells_name}))
      << "a temporary file was left behind";
}

// A disk that fills up at one file of the set: the child process may write
// at most `limit` bytes per file. The files grow in writing order (plan 40
// bytes, entries 2980, cells 31965), so each limit stops a different one.
// Whichever fails, all three old files stay: the set is never mixed.
TEST(binary_files, failure_at_any_file_of_the_set_keeps_all_old_files) {
  const struct {
    const char* fails;
    rlim_t limit;
  } cases[] = {{plan_name, 20}, {entries_name, 1000}, {cells_name, 4000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fails);
    temp_dir dir;
    write_old_set(dir);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{c.limit, c.limit};
      setrlimit(RLIMIT_FSIZE, &limit);
      scenario_model m = small_model(1);
      m.tracciato.create(9);
      fill_marker_slots(m);
      file_failure f;
      const bool ok = write_binary_files(m, dir.path(), &f);
      const bool named = f.message() == "cannot write " +
                                            (dir / c.fails).string() +
                                            ": File too large";
      _exit(!ok && named ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "expected 'File too large' naming it";
    expect_old_set(dir);
  }
}

// The same set written without limits replaces all three.
TEST(binary_files, complete_set_replaces_all_old_files) {
  temp_dir dir;
  write_old_set(dir);
  scenario_model m = small_model(1);
  m.tracciato.create(9);
  ASSERT_EQ(fill_marker_slots(m), 0);
  file_failure f;
  ASSERT_TRUE(write_binary_files(m, dir.path(), &f)) << f.message();
  EXPECT_EQ(read_file(dir / plan_name).size(), 40u);
  EXPECT_EQ(read_file(dir / entries_name).size(), 2980u);
  EXPECT_EQ(read_file(dir / cells_name).size(), 31965u);
  EXPECT_EQ(names_in(dir.path()).size(), 3u);
}

// A folder where one of the files goes refuses its rename; it is found
// before any file is renamed, whichever file it is.
TEST(binary_files, folder_in_place_of_any_file_keeps_the_others_old) {
  for (const char* taken : {plan_name, entries_name, cells_name}) {
    SCOPED_TRACE(taken);
    temp_dir dir;
    write_old_set(dir);
    std::filesystem::remove(dir / taken);
    std::filesystem::create_directory(dir / taken);
    scenario_model m = small_model(1);
    m.tracciato.create(9);
    ASSERT_EQ(fill_marker_slots(m), 0);
    file_failure f;
    EXPECT_FALSE(write_binary_files(m, dir.path(), &f));
    EXPECT_EQ(f.message(),
              "cannot write " + (dir / taken).string() + ": Is a directory");
    for (const char* name : {plan_name, entries_name, cells_name}) {
      if (name == taken) continue;
      EXPECT_EQ(read_file(dir / name), std::string("old ") + name) << name;
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir / taken));
    EXPECT_EQ(names_in(dir.path()).size(), 3u) << "a temporary file was left";
  }
}

TEST(binary_files, missing_directory_is_reported_with_the_file_name) {
  temp_dir dir;
  scenario_model m = small_model(0);
  ASSERT_EQ(fill_marker_slots(m), 0);
  file_failure f;
  EXPECT_FALSE(write_binary_files(m, dir / "missing", &f));
  EXPECT_EQ(f.message(),
            "cannot write " +
                (dir / "missing" / "Tarvena_Olmisco_IR 4518.sim").string() +
                ": No such file or directory");
}

}  // namespace
}  // namespace scenario
