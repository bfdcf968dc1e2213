// The line description: the scenario's line (length, curves, gradient,
// tunnels, speed-indicator and direction boards) as a table of literal
// lines, and its writer. The compiler reads the file back and deletes it.
#ifndef SCENARIO_SOURCES_DATI_LINEA_H_
#define SCENARIO_SOURCES_DATI_LINEA_H_

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "output/replace_file.h"

namespace scenario {

// The file's 203 lines in write order (the end marker excluded).
std::span<const std::string_view> linea_lines();

// Writes the file into `dir`; on failure returns false and fills *failure.
bool dati_linea(const std::filesystem::path& dir, const std::string& percorso,
                file_failure* failure);

}  // namespace scenario

#endif  // SCENARIO_SOURCES_DATI_LINEA_H_
