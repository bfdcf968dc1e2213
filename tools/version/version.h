// What `--version` prints: the release the build carries and the commit it
// was built from. The values are written into a generated source file at
// every build (cmake/version.cmake), so they follow the checked-out commit.
#ifndef SCENARIO_TOOLS_VERSION_VERSION_H_
#define SCENARIO_TOOLS_VERSION_VERSION_H_

#include <string>
#include <string_view>

namespace scenario {

// The release, "1.0.0".
std::string_view release_version();
// The commit: an abbreviated hash, "-dirty" when the tree had changes, or
// "unknown" when the sources were built outside a git checkout.
std::string_view build_commit();

// One line: "PROGRAM 1.0.0 (commit 3847468c1f2a)".
inline std::string version_line(std::string_view program) {
  return std::string(program) + " " + std::string(release_version()) +
         " (commit " + std::string(build_commit()) + ")";
}

}  // namespace scenario

#endif  // SCENARIO_TOOLS_VERSION_VERSION_H_
