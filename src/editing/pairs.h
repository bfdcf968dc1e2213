// Which descriptions are checked together. A line file "R_linea.txt" pairs
// with the train files "R_*-.txt" of its folder, as the builder names them;
// any other names pair through "scenario-pairs.json" in the workspace root:
//   {"pairs": [{"line": "lines/valley.txt", "train": "trains/ir.txt"}]}
// with paths relative to the root. The listed pairs come first.
#ifndef SCENARIO_EDITING_PAIRS_H_
#define SCENARIO_EDITING_PAIRS_H_

#include <filesystem>
#include <string>
#include <vector>

namespace scenario::editing {

namespace fs = std::filesystem;

inline constexpr const char* pairs_file_name = "scenario-pairs.json";

// A pair to check; `train` is empty for a line file without a train.
struct description_pair {
  fs::path line;
  fs::path train;
  friend bool operator==(const description_pair&,
                         const description_pair&) = default;
};

class pair_finder {
 public:
  // Reads `root`/scenario-pairs.json when there is one; `problem` says why
  // it could not be used (empty when it was or when there is none).
  explicit pair_finder(const fs::path& root = {});
  const std::string& problem() const { return problem_; }

  // The pairs that `file` belongs to. `open_files` are the files the editor
  // holds, which count as existing even when not saved yet. A file that is
  // neither a line nor a train by name or listing is taken for a line
  // checked alone, unless `looks_like_train`.
  std::vector<description_pair> pairs_of(
      const fs::path& file, bool looks_like_train,
      const std::vector<fs::path>& open_files) const;

 private:
  std::vector<description_pair> listed_;
  std::string problem_;
};

// True when a description's text holds a key of the train description only
// (the number of cars): used for files that neither name nor listing place.
bool looks_like_train(std::string_view text_8bit);

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_PAIRS_H_
