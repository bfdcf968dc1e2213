#include "testing/temp_dir.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

#include "output/native_file.h"

namespace scenario::testing {

// A new folder of a random name, readable and writable by its owner only.
temp_dir::temp_dir() {
  std::random_device random;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path p =
        base / ("scenario_test." + std::to_string(random()));
    std::error_code ec;
    if (std::filesystem::create_directory(p, ec)) {
      std::filesystem::permissions(p, std::filesystem::perms::owner_all, ec);
      path_ = p;
      return;
    }
    if (ec) break;
  }
  throw std::runtime_error("cannot create a temporary folder in " +
                           base.string());
}

temp_dir::~temp_dir() {
  std::error_code ec;
  // A test may have made the folder read-only; give the rights back first.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string read_file(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + p.string());
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_file(const std::filesystem::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::set<std::string> names_in(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (name != native::folder_lock_file) names.insert(name);
  }
  return names;
}

}  // namespace scenario::testing
