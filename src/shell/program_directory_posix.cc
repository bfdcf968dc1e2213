#include <system_error>

#include "shell/run.h"

namespace scenario {

std::filesystem::path program_directory() {
  std::error_code ec;
  std::filesystem::path exe =
      std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path();
  return exe.parent_path();
}

}  // namespace scenario
