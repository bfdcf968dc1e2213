// The five writers as files on disk: names, bytes, line counts, and the
// replacement of earlier files.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "sources/line_table.h"
#include "sources/sources.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::temp_dir;
using testing::write_file;

constexpr char percorso[] = "Tarvena_Olmisco";
constexpr char treno[] = "IR 4518";

struct writer_case {
  const char* file_name;
  std::function<bool(const std::filesystem::path&, file_failure*)> write;
  std::function<std::span<const std::string_view>()> lines;
  size_t line_count;
};

const writer_case writer_cases[] = {
    {"Tarvena_Olmisco_linea.txt",
     [](const auto& d, auto* f) { return dati_linea(d, percorso, f); },
     linea_lines, 203},
    {"Tarvena_Olmisco_IR 4518-.txt",
     [](const auto& d, auto* f) { return dati_treno(d, percorso, treno, f); },
     treno_lines, 69},
    {"Tarvena_Olmisco_IR 4518_note.txt",
     [](const auto& d, auto* f) { return dati_note(d, percorso, treno, f); },
     note_lines, 0},
    {"Tarvena_Olmisco_IR 4518_rallentamenti.txt",
     [](const auto& d, auto* f) {
       return dati_rallentamenti(d, percorso, treno, f);
     },
     rallentamenti_lines, 46},
    {"Tarvena_Olmisco_IR 4518_scheda_treno.txt",
     [](const auto& d, auto* f) { return dati_scheda(d, percorso, treno, f); },
     scheda_lines, 42},
};

std::string crlf_text(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view l : lines) {
    text += l;
    text += "\r\n";
  }
  return text;
}

TEST(Writers, each_file_holds_its_table_with_crlf_after_every_line) {
  for (const writer_case& c : writer_cases) {
    SCOPED_TRACE(c.file_name);
    temp_dir dir;
    file_failure failure;
    ASSERT_TRUE(c.write(dir.path(), &failure)) << failure.message();
    const std::string bytes = read_file(dir / c.file_name);
    EXPECT_EQ(c.lines().size(), c.line_count);
    EXPECT_EQ(bytes, crlf_text(c.lines()));
    // The only file in the directory: no temporary left behind.
    size_t files = 0;
    for ([[maybe_unused]] const auto& e :
         std::filesystem::directory_iterator(dir.path())) {
      ++files;
    }
    EXPECT_EQ(files, 1u);
  }
}

TEST(Writers, files_are_plain_ascii_without_byte_order_mark) {
  for (const writer_case& c : writer_cases) {
    SCOPED_TRACE(c.file_name);
    temp_dir dir;
    ASSERT_TRUE(c.write(dir.path(), nullptr));
    const std::string bytes = read_file(dir / c.file_name);
    size_t line_ends = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
      const auto b = static_cast<unsigned char>(bytes[i]);
      ASSERT_TRUE(b == '\r' || b == '\n' || (b >= 0x20 && b < 0x7F))
          << "byte " << int{b} << " at " << i;
      if (b == '\r') {
        ASSERT_LT(i + 1, bytes.size());
        ASSERT_EQ(bytes[i + 1], '\n') << "CR without LF at " << i;
        ++line_ends;
      } else if (b == '\n') {
        ASSERT_GT(i, 0u);
        ASSERT_EQ(bytes[i - 1], '\r') << "LF without CR at " << i;
      }
    }
    EXPECT_EQ(line_ends, c.line_count);
    EXPECT_EQ(bytes.find(end_marker), std::string::npos);
  }
}

TEST(Writers, a_longer_earlier_file_is_replaced_completely) {
  for (const writer_case& c : writer_cases) {
    SCOPED_TRACE(c.file_name);
    temp_dir dir;
    const std::string old = crlf_text(c.lines()) + std::string(50000, '#');
    write_file(dir / c.file_name, old);
    ASSERT_TRUE(c.write(dir.path(), nullptr));
    EXPECT_EQ(read_file(dir / c.file_name), crlf_text(c.lines()));
  }
}

TEST(Writers, notes_are_empty_even_over_an_old_file_with_content) {
  temp_dir dir;
  const auto notes = dir / "Tarvena_Olmisco_IR 4518_note.txt";
  write_file(notes, "vecchie note\r\n");
  ASSERT_TRUE(dati_note(dir.path(), percorso, treno, nullptr));
  ASSERT_TRUE(std::filesystem::exists(notes));
  EXPECT_EQ(std::filesystem::file_size(notes), 0u);
}

TEST(Writers, unwritable_directory_is_a_reported_failure) {
  for (const writer_case& c : writer_cases) {
    SCOPED_TRACE(c.file_name);
    temp_dir dir;
    const auto missing = dir / "no such directory";
    file_failure failure;
    EXPECT_FALSE(c.write(missing, &failure));
    EXPECT_EQ(failure.file, missing / c.file_name);
    EXPECT_FALSE(failure.reason.empty());
  }
}

TEST(Writers, blanks_inside_and_at_the_end_of_lines_are_kept) {
  temp_dir dir;
  ASSERT_TRUE(dati_treno(dir.path(), percorso, treno, nullptr));
  ASSERT_TRUE(dati_scheda(dir.path(), percorso, treno, nullptr));
  ASSERT_TRUE(dati_linea(dir.path(), percorso, nullptr));
  const std::string train = read_file(dir / "Tarvena_Olmisco_IR 4518-.txt");
  EXPECT_NE(
      train.find("\r\norologio,    7               5             30 \r\n"),
      std::string::npos);
  const std::string card =
      read_file(dir / "Tarvena_Olmisco_IR 4518_scheda_treno.txt");
  EXPECT_NE(card.find("|  MASSA BLOCCATA   |       \r\n"), std::string::npos);
  EXPECT_EQ(card.substr(0, 4), "\r\n\r\n");
  EXPECT_EQ(card.substr(card.size() - 5), "|\r\n\r\n");
  const std::string line = read_file(dir / "Tarvena_Olmisco_linea.txt");
  EXPECT_NE(line.find("\r\nripetizione segnali 4 codici,    0    ,0\r\n"),
            std::string::npos);
  EXPECT_EQ(line.substr(line.size() - 8), "[fine]\r\n");
}

}  // namespace
}  // namespace scenario
