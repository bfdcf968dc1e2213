// The train and service description: train values, adhesion, speed limits,
// stations with the timetable, slowdowns (none) and signals, as a table of
// literal lines, and its writer. The compiler reads the file back.
#ifndef SCENARIO_SOURCES_DATI_TRENO_H_
#define SCENARIO_SOURCES_DATI_TRENO_H_

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "output/replace_file.h"

namespace scenario {

// The file's 69 lines in write order (the end marker excluded).
std::span<const std::string_view> treno_lines();

// Writes the file into `dir`; on failure returns false and fills *failure.
bool dati_treno(const std::filesystem::path& dir, const std::string& percorso,
                const std::string& treno, file_failure* failure);

}  // namespace scenario

#endif  // SCENARIO_SOURCES_DATI_TRENO_H_
