// The slow-order form of the service, a fixed-layout document for the driver
// held as a table of literal lines, and its writer. Nothing reads it back.
#ifndef SCENARIO_SOURCES_DATI_RALLENTAMENTI_H_
#define SCENARIO_SOURCES_DATI_RALLENTAMENTI_H_

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "output/replace_file.h"

namespace scenario {

// The form's 46 lines in write order (the end marker excluded).
std::span<const std::string_view> rallentamenti_lines();

// Writes the file into `dir`; on failure returns false and fills *failure.
bool dati_rallentamenti(const std::filesystem::path& dir,
                        const std::string& percorso, const std::string& treno,
                        file_failure* failure);

}  // namespace scenario

#endif  // SCENARIO_SOURCES_DATI_RALLENTAMENTI_H_
