#include "fuzz/written_files.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "output/binary_files.h"

namespace scenario::fuzz {
namespace {

namespace fs = std::filesystem;

class scratch_folder {
 public:
  scratch_folder() {
    // In memory where the system offers it: every input is written and read
    // back, and a disk's renames would cost more than the compilation.
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec)
                              ? fs::path("/dev/shm")
                              : fs::temp_directory_path();
    std::string pattern = (base / "scenario-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~scratch_folder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  scratch_folder(const scratch_folder&) = delete;
  scratch_folder& operator=(const scratch_folder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::optional<std::string> read_whole(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

std::optional<written_files> write_and_read(const scenario_model& m,
                                            std::string* why) {
  // One folder for the whole process: the targets run one input at a time.
  static const scratch_folder folder;
  if (folder.path().empty()) {
    *why = "no scratch folder";
    return std::nullopt;
  }
  const fs::path plan = plan_path(folder.path(), m.percorso);
  std::error_code ec;
  fs::remove(plan, ec);  // a plan of an earlier input must not be read back
  file_failure failure;
  if (!write_binary_files(m, folder.path(), &failure)) {
    *why = failure.message();
    return std::nullopt;
  }
  written_files files;
  std::optional<std::string> entries =
      read_whole(entries_path(folder.path(), m.percorso, m.treno));
  std::optional<std::string> cells =
      read_whole(cells_path(folder.path(), m.percorso, m.treno));
  if (!entries || !cells) {
    *why = "a written file cannot be read back";
    return std::nullopt;
  }
  files.entries = std::move(*entries);
  files.cells = std::move(*cells);
  files.plan = read_whole(plan);
  return files;
}

}  // namespace scenario::fuzz
