#include "sources/source_names.h"

namespace scenario {

std::filesystem::path linea_txt_path(const std::filesystem::path& dir,
                                     const std::string& percorso) {
  return dir / (percorso + "_linea.txt");
}

std::filesystem::path treno_txt_path(const std::filesystem::path& dir,
                                     const std::string& percorso,
                                     const std::string& treno) {
  return dir / (percorso + "_" + treno + "-.txt");
}

std::filesystem::path note_txt_path(const std::filesystem::path& dir,
                                    const std::string& percorso,
                                    const std::string& treno) {
  return dir / (percorso + "_" + treno + "_note.txt");
}

std::filesystem::path rallentamenti_txt_path(const std::filesystem::path& dir,
                                             const std::string& percorso,
                                             const std::string& treno) {
  return dir / (percorso + "_" + treno + "_rallentamenti.txt");
}

std::filesystem::path scheda_txt_path(const std::filesystem::path& dir,
                                      const std::string& percorso,
                                      const std::string& treno) {
  return dir / (percorso + "_" + treno + "_scheda_treno.txt");
}

}  // namespace scenario
