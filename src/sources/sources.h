// The five writers of the scenario's text files, called by the run in this
// order: line description, train description, notes, slow-order form,
// timetable card.
#ifndef SCENARIO_SOURCES_SOURCES_H_
#define SCENARIO_SOURCES_SOURCES_H_

#include <filesystem>
#include <string>

#include "output/replace_file.h"

namespace scenario {

bool dati_linea(const std::filesystem::path& dir, const std::string& percorso,
                file_failure* failure);
bool dati_treno(const std::filesystem::path& dir, const std::string& percorso,
                const std::string& treno, file_failure* failure);
bool dati_note(const std::filesystem::path& dir, const std::string& percorso,
               const std::string& treno, file_failure* failure);
bool dati_rallentamenti(const std::filesystem::path& dir,
                        const std::string& percorso, const std::string& treno,
                        file_failure* failure);
bool dati_scheda(const std::filesystem::path& dir, const std::string& percorso,
                 const std::string& treno, file_failure* failure);

std::filesystem::path linea_txt_path(const std::filesystem::path& dir,
                                     const std::string& percorso);
std::filesystem::path treno_txt_path(const std::filesystem::path& dir,
                                     const std::string& percorso,
                                     const std::string& treno);

}  // namespace scenario

#endif  // SCENARIO_SOURCES_SOURCES_H_
