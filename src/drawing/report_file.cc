#include "drawing/report_file.h"

#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace scenario::drawing {

decode_result find_scenario_names(const std::filesystem::path& dir,
                                  std::string& percorso, std::string& treno) {
  std::error_code ec;
  std::vector<std::filesystem::path> tables;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (it->path().extension() == ".sim" && it->is_regular_file(ec)) {
      tables.push_back(it->path());
    }
  }
  if (ec) {
    return {decode_missing, dir.string() + ": cannot read: " + ec.message()};
  }
  if (tables.empty()) {
    return {decode_missing,
            dir.string() + ": no compiled scenario (no .sim file) here"};
  }
  if (tables.size() > 1) {
    std::string names;
    for (const auto& t : tables) names += "\n  " + t.filename().string();
    return {64, dir.string() +
                    ": several compiled scenarios; choose one with --route "
                    "and --train:" +
                    names};
  }
  std::ifstream in(tables.front(), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)),
                          std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    return {decode_missing, tables.front().string() + ": cannot read"};
  }
  std::array<voce, voci_count> voci;
  decode_result r = decode_entries(bytes, tables.front().string(), voci);
  if (!r.ok()) return r;
  percorso = voci[voce_index::percorso_generale].nome;
  treno = voci[voce_index::segnali_generale].nome;
  return {};
}

bool write_page(const std::string& page, const std::filesystem::path& target,
                file_failure* failure) {
  replacement_file out(target);
  if (out.ok()) {
    out.put(page);
    if (out.commit()) return true;
  }
  *failure = out.failure();
  return false;
}

}  // namespace scenario::drawing
