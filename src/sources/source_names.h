// File names of the five text files: the directory, then the route
// identifier `percorso` and, for the train's files, the train identifier
// `treno`, joined with the platform's separator.
#ifndef SCENARIO_SOURCES_SOURCE_NAMES_H_
#define SCENARIO_SOURCES_SOURCE_NAMES_H_

#include <filesystem>
#include <string>

namespace scenario {

// The identifiers of the scenario this build carries.
inline constexpr char build_percorso[] = "Tarvena_Olmisco";
inline constexpr char build_treno[] = "IR 4518";

// "<percorso>_linea.txt"
std::filesystem::path linea_txt_path(const std::filesystem::path& dir,
                                     const std::string& percorso);
// "<percorso>_<treno>-.txt"
std::filesystem::path treno_txt_path(const std::filesystem::path& dir,
                                     const std::string& percorso,
                                     const std::string& treno);
// "<percorso>_<treno>_note.txt"
std::filesystem::path note_txt_path(const std::filesystem::path& dir,
                                    const std::string& percorso,
                                    const std::string& treno);
// "<percorso>_<treno>_rallentamenti.txt"
std::filesystem::path rallentamenti_txt_path(const std::filesystem::path& dir,
                                             const std::string& percorso,
                                             const std::string& treno);
// "<percorso>_<treno>_scheda_treno.txt"
std::filesystem::path scheda_txt_path(const std::filesystem::path& dir,
                                      const std::string& percorso,
                                      const std::string& treno);

}  // namespace scenario

#endif  // SCENARIO_SOURCES_SOURCE_NAMES_H_
