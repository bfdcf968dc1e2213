// The notes document of the service and its writer. This scenario has no
// notes: the table holds only the end marker and the file is empty.
#ifndef SCENARIO_SOURCES_DATI_NOTE_H_
#define SCENARIO_SOURCES_DATI_NOTE_H_

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "output/replace_file.h"

namespace scenario {

// The notes' lines in write order: none.
std::span<const std::string_view> note_lines();

// Writes the file into `dir`; on failure returns false and fills *failure.
bool dati_note(const std::filesystem::path& dir, const std::string& percorso,
               const std::string& treno, file_failure* failure);

}  // namespace scenario

#endif  // SCENARIO_SOURCES_DATI_NOTE_H_
