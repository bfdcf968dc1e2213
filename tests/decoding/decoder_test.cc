// Reading compiled scenarios back: every file round-trips byte for byte, and
// damage of any kind is named by file and byte with status 65 (66 when a
// file is missing), never read past.
#include "decoding/decoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/fixtures/descriptions.h"
#include "output/binary_files.h"
#include "shell/run.h"
#include "shell/window.h"
#include "testing/compiled_scenarios.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::temp_dir;
using testing::write_file;

namespace fs = std::filesystem;

std::vector<std::string> file_names(const std::string& percorso,
                                    const std::string& treno) {
  return {percorso + "_linea.dat", percorso + "_" + treno + ".sim",
          percorso + "_" + treno + ".dat"};
}

// Decodes `from`, writes the model into a fresh folder and compares every
// file, including the absence of the plan.
void expect_round_trip(const fs::path& from, const std::string& percorso,
                       const std::string& treno, scenario_model& m) {
  const decode_result r = decode_scenario(from, percorso, treno, m);
  ASSERT_TRUE(r.ok()) << r.message;
  temp_dir again;
  file_failure failure;
  ASSERT_TRUE(write_binary_files(m, again.path(), &failure))
      << failure.message();
  for (const std::string& name : file_names(percorso, treno)) {
    ASSERT_EQ(fs::exists(from / name), fs::exists(again / name)) << name;
    if (fs::exists(from / name)) {
      EXPECT_TRUE(read_file(from / name) == read_file(again / name)) << name;
    }
  }
}

TEST(decoder, the_builds_scenario_round_trips_byte_for_byte) {
  temp_dir dir;
  auto console = make_console_window();
  std::ostringstream err;
  ASSERT_EQ(run_scenario(dir.path(), *console, err, translator()), exit_clean)
      << err.str();
  scenario_model m;
  expect_round_trip(dir.path(), build_percorso, build_treno, m);
  EXPECT_EQ(m.percorso, build_percorso);
  EXPECT_EQ(m.treno, build_treno);
  EXPECT_EQ(m.lunghezza_estesa, 106500);
  EXPECT_EQ(m.numero_celle, 2130);
  EXPECT_EQ(m.celle.size(), 2131u);
  EXPECT_EQ(m.con_tracciato, 1);
  EXPECT_EQ(m.tracciato.size(), 106501);
  EXPECT_EQ(m.voci[3].nome.empty(), false);
}

// The decoded model is the compiled one: every cell, every entry, and the
// kind and value of every plan element.
TEST(decoder, every_record_kind_decodes_to_the_compiled_model) {
  const std::string percorso = "Val_d\xE8sopra";  // an 8-bit route name
  const std::string treno = "R 12";
  scenario_model compiled;
  testing::compile_every_kind(compiled, percorso, treno);
  std::set<int> kinds;
  for (const cella& c : compiled.celle) kinds.insert(c.tipo);
  EXPECT_EQ(kinds, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 10, 11, 12, 13, 14}))
      << "the fixture no longer holds every cell kind";

  temp_dir dir;
  file_failure failure;
  ASSERT_TRUE(write_binary_files(compiled, dir.path(), &failure));
  scenario_model m;
  expect_round_trip(dir.path(), percorso, treno, m);
  EXPECT_TRUE(m.celle == compiled.celle);
  EXPECT_TRUE(m.voci == compiled.voci);
  EXPECT_EQ(m.lunghezza_estesa, compiled.lunghezza_estesa);
  EXPECT_EQ(m.numero_celle, compiled.numero_celle);
  ASSERT_EQ(m.tracciato.size(), compiled.tracciato.size());
  int64_t differing = 0;
  std::set<tracciato_t::genere> plan_kinds;
  for (int64_t metre = 0; metre < m.tracciato.size(); ++metre) {
    for (int coord = 0; coord < 2; ++coord) {
      plan_kinds.insert(m.tracciato.kind(metre, coord));
      if (m.tracciato.kind(metre, coord) !=
              compiled.tracciato.kind(metre, coord) ||
          m.tracciato.value(metre, coord) !=
              compiled.tracciato.value(metre, coord)) {
        ++differing;
      }
    }
  }
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(plan_kinds.size(), 3u) << "empty, 16-bit and double elements";
}

TEST(decoder, a_scenario_without_plan_has_none_and_writes_none) {
  temp_dir dir;
  testing::write_every_kind(dir.path(), "Valle", "R 12", /*with_plan=*/false);
  ASSERT_FALSE(fs::exists(dir / "Valle_linea.dat"));
  scenario_model m;
  expect_round_trip(dir.path(), "Valle", "R 12", m);
  EXPECT_EQ(m.con_tracciato, 0);
  EXPECT_FALSE(m.tracciato.exists());
}

// A small scenario whose only texts are its names, so that every offset
// below can be counted by hand: 87 entries of 34 bytes plus "Valle" in
// entry 85 (at byte 2890) and "R 12" in entry 86 (at byte 2929): 2967
// bytes; a line of 3000 m: cells 0 to 200, 3015 bytes; plan metres 0 to
// 10000. Checksums of "r 12valleaabbccddeeffgghh": 2385 and 32534.
struct small_scenario {
  temp_dir dir;
  const fs::path sim = dir / "Valle_R 12.sim";
  const fs::path dat = dir / "Valle_R 12.dat";
  const fs::path plan = dir / "Valle_linea.dat";

  small_scenario() {
    scenario_model m;
    m.percorso = "Valle";
    m.treno = "R 12";
    const int status = compile_in_memory(
        m, 1, {"line.txt", testing::line_description(3000), ""},
        {"train.txt", testing::train_description({"numero vetture,    7"}),
         ""});
    EXPECT_EQ(status, exit_clean);
    file_failure failure;
    EXPECT_TRUE(write_binary_files(m, dir.path(), &failure));
    EXPECT_EQ(read_file(sim).size(), 2967u);
    EXPECT_EQ(read_file(dat).size(), 3015u);
  }
  decode_result decode(const std::string& percorso = "Valle",
                       const std::string& treno = "R 12") {
    scenario_model m;
    return decode_scenario(dir.path(), percorso, treno, m);
  }
  decode_result decode_in(const translator& tr) {
    scenario_model m;
    return decode_scenario(dir.path(), "Valle", "R 12", m, {.tr = tr});
  }
};

void put_le(std::string& bytes, size_t at, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) {
    bytes.at(at + i) = static_cast<char>(value >> (8 * i));
  }
}

TEST(decoder, damaged_files_are_named_by_file_and_byte) {
  enum which { sim, dat, plan };
  struct damage_case {
    const char* name;
    which file;
    std::function<void(std::string&)> damage;
    std::string message;  // after "FILE: "
    std::string italian;  // the same in Italian
  };
  const auto cut_to = [](size_t n) {
    return [n](std::string& b) { b.resize(n); };
  };
  const auto cut_by = [](size_t n) {
    return [n](std::string& b) { b.resize(b.size() - n); };
  };
  const auto append = [](std::string more) {
    return [more](std::string& b) { b += more; };
  };
  const auto put = [](size_t at, uint64_t value, int width) {
    return [=](std::string& b) { put_le(b, at, value, width); };
  };
  const std::vector<damage_case> cases = {
      // Entries.
      {"empty entry file", sim, cut_to(0),
       "byte 0: expected entry 0 tipo (1 byte), found end of file",
       "byte 0: atteso tipo della voce 0 (1 byte), trovato fine del file"},
      {"entries cut inside an early entry", sim, cut_to(40 * 34 + 7),
       "byte 1365: expected entry 40 fine (4 bytes), found 2 bytes before "
       "the end of file",
       "byte 1365: atteso fine della voce 40 (4 byte), trovato 2 byte prima "
       "della fine del file"},
      {"entries cut inside the route name", sim, cut_to(2908),
       "byte 2906: expected entry 85 nome of 5 bytes, found 2 bytes before "
       "the end of file",
       "byte 2906: atteso nome della voce 85 di 5 byte, trovato 2 byte prima "
       "della fine del file"},
      {"entries cut inside the last field", sim, cut_by(2),
       "byte 2963: expected entry 86 orario (4 bytes), found 2 bytes before "
       "the end of file",
       "byte 2963: atteso orario della voce 86 (4 byte), trovato 2 byte prima "
       "della fine del file"},
      {"name length that overruns the file", sim, put(2943, 0xFFFF, 2),
       "byte 2945: expected entry 86 nome of 65535 bytes, found 22 bytes "
       "before the end of file",
       "byte 2945: atteso nome della voce 86 di 65535 byte, trovato 22 byte "
       "prima della fine del file"},
      {"bytes after the last entry", sim, append(std::string(3, '\0')),
       "byte 2967: expected end of file after entry 86, found 3 bytes more",
       "byte 2967: atteso fine del file dopo la voce 86, trovato 3 byte in "
       "più"},
      {"flipped entry marker", sim, put(2911, 611, 2),
       "byte 2911: expected format marker 610 in entry 85 num1, found 611",
       "byte 2911: atteso marcatore di formato 610 in num1 della voce 85, "
       "trovato 611"},
      {"wrong entry checksum", sim, put(2925, 32535, 4),
       "byte 2925: expected checksum 32534 of the names \"R 12\" and "
       "\"Valle\" in entry 85 orario, found 32535",
       "byte 2925: atteso somma di controllo 32534 dei nomi \"R 12\" e "
       "\"Valle\" in orario della voce 85, trovato 32535"},
      {"a name changed under its checksum", sim, put(2948, '3', 1),
       "byte 2925: expected checksum 32538 of the names \"R 13\" and "
       "\"Valle\" in entry 85 orario, found 32534",
       "byte 2925: atteso somma di controllo 32538 dei nomi \"R 13\" e "
       "\"Valle\" in orario della voce 85, trovato 32534"},
      {"line length beyond the longest line", sim, put(2861, 2000000, 4),
       "byte 2861: expected a line length from -6974 to 1000000 m in entry "
       "84 fine, found 2000000",
       "byte 2861: atteso lunghezza della linea da -6974 a 1000000 m in fine "
       "della voce 84, trovato 2000000"},
      // Cells.
      {"empty cell file", dat, cut_to(0),
       "byte 0: expected 3015 bytes (cells 0 to 200 for a line of 3000 m), "
       "found end of file",
       "byte 0: atteso 3015 byte (celle da 0 a 200 per una linea di 3000 m), "
       "trovato fine del file"},
      {"cells cut by one cell", dat, cut_by(15),
       "byte 3000: expected 3015 bytes (cells 0 to 200 for a line of 3000 "
       "m), found end of file",
       "byte 3000: atteso 3015 byte (celle da 0 a 200 per una linea di 3000 "
       "m), trovato fine del file"},
      {"bytes after the last cell", dat, append("x"),
       "byte 3015: expected end of file (cells 0 to 200 for a line of 3000 "
       "m), found 1 byte more",
       "byte 3015: atteso fine del file (celle da 0 a 200 per una linea di "
       "3000 m), trovato 1 byte in più"},
      {"flipped cell marker", dat, put(16, 5122, 2),
       "byte 16: expected format marker 5121 in cell 1 dato1, found 5122",
       "byte 16: atteso marcatore di formato 5121 in dato1 della cella 1, "
       "trovato 5122"},
      {"wrong cell checksum", dat, put(18, 2386, 2),
       "byte 18: expected checksum 2385 of the names \"R 12\" and \"Valle\" "
       "in cell 1 dato2, found 2386",
       "byte 18: atteso somma di controllo 2385 dei nomi \"R 12\" e "
       "\"Valle\" in dato2 della cella 1, trovato 2386"},
      // Plan.
      {"empty plan file", plan, cut_to(0),
       "byte 0: expected plan element x of metre 0 (the plan has metres 0 to "
       "10000, x then y), found end of file",
       "byte 0: atteso elemento x del tracciato al metro 0 (il tracciato ha i "
       "metri da 0 a 10000, prima x poi y), trovato fine del file"},
      {"plan cut inside a value", plan, cut_to(7),
       "byte 6: expected a value of 2 bytes for plan element x of metre 1, "
       "found 1 byte before the end of file",
       "byte 6: atteso valore di 2 byte per l'elemento x del tracciato al "
       "metro 1, trovato 1 byte prima della fine del file"},
      {"plan cut inside the last type code", plan, cut_by(1),
       "byte PLAN_END-2: expected the type code of plan element y of metre "
       "10000 (2 bytes), found 1 byte before the end of file",
       "byte PLAN_END-2: atteso codice di tipo dell'elemento y del tracciato "
       "al metro 10000 (2 byte), trovato 1 byte prima della fine del file"},
      {"unknown plan element type", plan, put(0, 7, 2),
       "byte 0: expected a type code 0, 2 or 5 for plan element x of metre "
       "0 (empty, 16-bit integer or double), found 7",
       "byte 0: atteso codice di tipo 0, 2 o 5 per l'elemento x del tracciato "
       "al metro 0 (vuoto, intero a 16 bit o double), trovato 7"},
      {"bytes after the last plan element", plan, append("abc"),
       "byte PLAN_END: expected end of file after y of metre 10000, found 3 "
       "bytes more",
       "byte PLAN_END: atteso fine del file dopo y del metro 10000, trovato 3 "
       "byte in più"},
  };
  for (const damage_case& c : cases) {
    SCOPED_TRACE(c.name);
    small_scenario s;
    const fs::path& path = c.file == sim   ? s.sim
                           : c.file == dat ? s.dat
                                           : s.plan;
    std::string bytes = read_file(path);
    const auto at_end = [&bytes](std::string message) {
      const std::string token = "PLAN_END";
      if (const size_t at = message.find(token); at != std::string::npos) {
        size_t end = bytes.size();
        size_t length = token.size();
        if (message.compare(at + length, 2, "-2") == 0) {
          end -= 2;
          length += 2;
        }
        message.replace(at, length, std::to_string(end));
      }
      return message;
    };
    const std::string message = at_end(c.message);
    const std::string italian = at_end(c.italian);
    c.damage(bytes);
    write_file(path, bytes);
    const decode_result r = s.decode();
    EXPECT_EQ(r.status, decode_damaged);
    EXPECT_EQ(r.message, path.string() + ": " + message);
    // The same file, byte and status in Italian.
    const decode_result i = s.decode_in(translator::for_locale("it"));
    EXPECT_EQ(i.status, decode_damaged);
    EXPECT_EQ(i.message, path.string() + ": " + italian);
  }
}

// The entries give the line length; cells or a plan of another line
// disagree with it.
TEST(decoder, files_of_another_line_length_disagree_with_the_entries) {
  small_scenario s;
  std::string bytes = read_file(s.sim);
  put_le(bytes, 2861, 3500, 4);  // entry 84 fine
  write_file(s.sim, bytes);
  decode_result r = s.decode();
  EXPECT_EQ(r.status, decode_damaged);
  EXPECT_EQ(r.message, s.dat.string() +
                           ": byte 3015: expected 3165 bytes (cells 0 to 210 "
                           "for a line of 3500 m), found end of file");

  // Cells of the longer line too: now the plan is short. Its x elements
  // run on into what were the y ones, so it ends inside y.
  write_file(s.dat, read_file(s.dat) + std::string(150, '\0'));
  r = s.decode();
  EXPECT_EQ(r.status, decode_damaged);
  EXPECT_EQ(r.message,
            s.plan.string() + ": byte " +
                std::to_string(read_file(s.plan).size()) +
                ": expected plan element y of metre 9501 (the plan has metres "
                "0 to 10500, x then y), found end of file");
}

TEST(decoder, names_inside_must_be_the_ones_asked_for) {
  small_scenario s;
  for (const char* name : {"Valle_R 12.sim", "Valle_R 12.dat"}) {
    fs::copy_file(s.dir / name, s.dir / (std::string("Monte") + (name + 5)));
    fs::copy_file(s.dir / name,
                  s.dir / (std::string("Valle_R 13") + (name + 10)));
  }
  decode_result r = s.decode("Monte", "R 12");
  EXPECT_EQ(r.status, decode_damaged);
  EXPECT_EQ(r.message, (s.dir / "Monte_R 12.sim").string() +
                           ": byte 2904: expected route name \"Monte\" in "
                           "entry 85, found \"Valle\"");
  r = s.decode("Valle", "R 13");
  EXPECT_EQ(r.status, decode_damaged);
  EXPECT_EQ(r.message, (s.dir / "Valle_R 13.sim").string() +
                           ": byte 2943: expected train name \"R 13\" in "
                           "entry 86, found \"R 12\"");

  // In Italian, at the same byte of the same file.
  scenario_model m;
  const reader_wait italian{.tr = translator::for_locale("it")};
  r = decode_scenario(s.dir.path(), "Monte", "R 12", m, italian);
  EXPECT_EQ(r.status, decode_damaged);
  EXPECT_EQ(r.message, (s.dir / "Monte_R 12.sim").string() +
                           ": byte 2904: atteso nome del percorso \"Monte\" "
                           "nella voce 85, trovato \"Valle\"");
  r = decode_scenario(s.dir.path(), "Valle", "R 13", m, italian);
  EXPECT_EQ(r.status, decode_damaged);
  EXPECT_EQ(r.message, (s.dir / "Valle_R 13.sim").string() +
                           ": byte 2943: atteso nome del treno \"R 13\" nella "
                           "voce 86, trovato \"R 12\"");
}

TEST(decoder, missing_files_are_status_66_and_a_missing_plan_is_none) {
  {
    small_scenario s;
    fs::remove(s.plan);
    scenario_model m;
    const decode_result r = decode_scenario(s.dir.path(), "Valle", "R 12", m);
    EXPECT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(m.con_tracciato, 0);
  }
  for (int missing = 0; missing < 2; ++missing) {
    small_scenario s;
    const fs::path& path = missing == 0 ? s.sim : s.dat;
    fs::remove(path);
    const decode_result r = s.decode();
    EXPECT_EQ(r.status, decode_missing);
    EXPECT_EQ(r.message,
              path.string() + ": cannot open: No such file or directory");
  }
  {
    small_scenario s;
    fs::remove(s.plan);
    fs::create_directory(s.plan);
    const decode_result r = s.decode();
    EXPECT_EQ(r.status, decode_missing);
    EXPECT_EQ(r.message, s.plan.string() + ": cannot open: Is a directory");
  }
}

// Decoding straight from bytes, as a fuzzer calls it: every prefix of a
// valid file is refused with a message, never read past.
TEST(decoder, every_prefix_of_the_entries_and_cells_is_refused) {
  small_scenario s;
  const std::string sim_bytes = read_file(s.sim);
  std::array<voce, voci_count> voci;
  ASSERT_TRUE(decode_entries(sim_bytes, "e.sim", voci, translator()).ok());
  const std::string dat_bytes = read_file(s.dat);
  std::vector<cella> celle;
  ASSERT_TRUE(decode_cells(dat_bytes, "c.dat", voci, celle, translator()).ok());
  for (size_t n = 0; n < sim_bytes.size(); ++n) {
    std::array<voce, voci_count> partial;
    const decode_result r =
        decode_entries(std::string_view(sim_bytes).substr(0, n), "e.sim",
                       partial, translator());
    ASSERT_EQ(r.status, decode_damaged) << n;
  }
  for (size_t n = 0; n < dat_bytes.size(); n += 7) {
    const decode_result r =
        decode_cells(std::string_view(dat_bytes).substr(0, n), "c.dat", voci,
                     celle, translator());
    ASSERT_EQ(r.status, decode_damaged) << n;
  }
}

TEST(decoder, plan_length_outside_any_line_is_refused_before_reading) {
  tracciato_t t;
  for (int32_t length : {-1, max_line_length_m + line_margin_m + 1}) {
    const decode_result r = decode_plan("", "p.dat", length, t, translator());
    EXPECT_EQ(r.status, decode_damaged);
    EXPECT_EQ(r.message.substr(0, 14), "p.dat: byte 0:");
  }
}

}  // namespace
}  // namespace scenario
