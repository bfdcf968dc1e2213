#include "sources/dati_note.h"

#include <iterator>

#include "sources/line_table.h"
#include "sources/source_names.h"

namespace scenario {
namespace {

// No notes: the marker stands in the first slot, so nothing is written.
constexpr std::string_view dati_note_table[] = {
    end_marker,
};
static_assert(is_line_table_content(dati_note_table));

}  // namespace

std::span<const std::string_view> note_lines() {
  return std::span(dati_note_table, std::size(dati_note_table) - 1);
}

bool dati_note(const std::filesystem::path& dir, const std::string& percorso,
               const std::string& treno, file_failure* failure) {
  return write_line_table(note_txt_path(dir, percorso, treno),
                          line_table(dati_note_table), failure);
}

}  // namespace scenario
