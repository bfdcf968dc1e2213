#include "shell/last_resort.h"

#include <exception>
#include <string>

namespace scenario {
namespace {

// What an exception says, kept on one line: control characters (line ends
// among them) become spaces.
std::string one_line(std::string_view what) {
  std::string s(what);
  for (char& c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) c = ' ';
  }
  return s;
}

int report(std::string_view program, std::ostream& err, std::string_view what) {
  err << program << ": internal error: " << one_line(what) << '\n';
  err.flush();
  return exit_software;
}

}  // namespace

int run_guarded(std::string_view program, std::ostream& err,
                const std::function<int()>& work) {
  try {
    return work();
  } catch (const std::exception& e) {
    return report(program, err, e.what());
  } catch (...) {
    return report(program, err, "an exception of unknown type");
  }
}

}  // namespace scenario
