#include "editing/pairs.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include "compiler/record_reader.h"
#include "model/file_uri.h"

namespace scenario::editing {
namespace {

constexpr std::string_view line_suffix = "_linea.txt";
constexpr std::string_view train_suffix = "-.txt";

bool ends_with(std::string_view s, std::string_view end) {
  return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

fs::path normal(const fs::path& p) { return p.lexically_normal(); }

// The train files "R_*-.txt" of `line`'s folder, in name order.
std::vector<fs::path> trains_of_line(const fs::path& line,
                                     const std::vector<fs::path>& open_files) {
  const std::string name = utf8_of_path(line.filename());
  const std::string route = name.substr(0, name.size() - line_suffix.size());
  const std::string prefix = route + "_";
  std::set<fs::path> found;
  const auto fits = [&](const std::string& n) {
    return n.size() > prefix.size() + train_suffix.size() - 1 &&
           n.compare(0, prefix.size(), prefix) == 0 &&
           ends_with(n, train_suffix);
  };
  std::error_code ec;
  for (fs::directory_iterator it(line.parent_path(), ec), end; !ec && it != end;
       it.increment(ec)) {
    if (fits(utf8_of_path(it->path().filename())))
      found.insert(normal(it->path()));
  }
  for (const fs::path& p : open_files) {
    if (p.parent_path() == line.parent_path() &&
        fits(utf8_of_path(p.filename()))) {
      found.insert(normal(p));
    }
  }
  return {found.begin(), found.end()};
}

// The line file of a train "R_X-.txt": the longest R whose "R_linea.txt"
// exists (routes may hold '_' themselves).
fs::path line_of_train(const fs::path& train,
                       const std::vector<fs::path>& open_files) {
  const std::string name = utf8_of_path(train.filename());
  for (size_t cut = name.rfind('_'); cut != std::string::npos && cut > 0;
       cut = name.rfind('_', cut - 1)) {
    const fs::path line =
        train.parent_path() /
        path_of_utf8(name.substr(0, cut) + std::string(line_suffix));
    std::error_code ec;
    const bool open = std::find(open_files.begin(), open_files.end(),
                                normal(line)) != open_files.end();
    if (open || fs::is_regular_file(line, ec)) return normal(line);
    if (cut == 0) break;
  }
  return {};
}

}  // namespace

pair_finder::pair_finder(const fs::path& root) {
  if (root.empty()) return;
  const fs::path file = root / pairs_file_name;
  std::error_code ec;
  if (!fs::exists(file, ec)) return;
  std::ifstream in(file, std::ios::binary);
  const nlohmann::json j = nlohmann::json::parse(in, nullptr, false);
  if (j.is_discarded() || !j.is_object() || !j.contains("pairs") ||
      !j["pairs"].is_array()) {
    problem_ = utf8_of_path(file) +
               ": expected {\"pairs\": [{\"line\": PATH, \"train\": PATH}]}";
    return;
  }
  for (const nlohmann::json& p : j["pairs"]) {
    if (!p.is_object() || !p.contains("line") || !p["line"].is_string() ||
        (p.contains("train") && !p["train"].is_string())) {
      problem_ =
          utf8_of_path(file) + ": a pair without a \"line\" path is skipped";
      continue;
    }
    description_pair d;
    d.line = normal(root / path_of_utf8(p["line"].get<std::string>()));
    if (p.contains("train")) {
      d.train = normal(root / path_of_utf8(p["train"].get<std::string>()));
    }
    listed_.push_back(std::move(d));
  }
}

std::vector<description_pair> pair_finder::pairs_of(
    const fs::path& file_in, bool train_text,
    const std::vector<fs::path>& open_files) const {
  const fs::path file = normal(file_in);
  std::vector<description_pair> out;
  for (const description_pair& p : listed_) {
    if (p.line == file || p.train == file) out.push_back(p);
  }
  if (!out.empty()) return out;
  const std::string name = utf8_of_path(file.filename());
  if (ends_with(name, line_suffix) && name.size() > line_suffix.size()) {
    for (const fs::path& t : trains_of_line(file, open_files)) {
      out.push_back({file, t});
    }
    if (out.empty()) out.push_back({file, {}});
    return out;
  }
  if (ends_with(name, train_suffix) || train_text) {
    const fs::path line = line_of_train(file, open_files);
    // A train without its line is checked against no line text: the
    // checker reports the missing line description at once.
    out.push_back({line, file});
    return out;
  }
  out.push_back({file, {}});
  return out;
}

bool looks_like_train(std::string_view text) {
  return contains_nocase(text, "vetture");
}

}  // namespace scenario::editing
