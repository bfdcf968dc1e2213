#include "model/system_reasons.h"

namespace scenario {
namespace {

// The system's texts a file or a folder lock can fail with, as the C
// library words them.
constexpr const char* known_reasons[] = {
    N_("No such file or directory"),
    N_("Permission denied"),
    N_("Is a directory"),
    N_("Not a directory"),
    N_("File exists"),
    N_("Directory not empty"),
    N_("No space left on device"),
    N_("Disk quota exceeded"),
    N_("Read-only file system"),
    N_("Too many open files"),
    N_("File name too long"),
    N_("Too many levels of symbolic links"),
    N_("Input/output error"),
    N_("Operation not permitted"),
    N_("Device or resource busy"),
    N_("Resource temporarily unavailable"),
    N_("No locks available"),
    N_("Invalid argument"),
};

}  // namespace

std::string system_reason(std::string_view reason, const translator& tr) {
  for (const char* known : known_reasons) {
    if (reason == known) return tr(known);
  }
  return std::string(reason);
}

}  // namespace scenario
