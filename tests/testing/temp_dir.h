// Test helpers: a temporary directory removed at the end of the test,
// whole-file reads and writes, and the names a folder holds.
#ifndef SCENARIO_TESTS_TESTING_TEMP_DIR_H_
#define SCENARIO_TESTS_TESTING_TEMP_DIR_H_

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

namespace scenario::testing {

class temp_dir {
 public:
  temp_dir();
  ~temp_dir();
  temp_dir(const temp_dir&) = delete;
  temp_dir& operator=(const temp_dir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const {
    return path_ / name;
  }

 private:
  std::filesystem::path path_;
};

std::string read_file(const std::filesystem::path& p);
void write_file(const std::filesystem::path& p, std::string_view bytes);

// The names of everything in `dir`, sorted, but for the file a held folder
// lock keeps there on Windows (tested on its own).
std::set<std::string> names_in(const std::filesystem::path& dir);

}  // namespace scenario::testing

#endif  // SCENARIO_TESTS_TESTING_TEMP_DIR_H_
