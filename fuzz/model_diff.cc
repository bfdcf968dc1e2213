#include "fuzz/model_diff.h"

#include <cstdint>
#include <cstring>

namespace scenario::fuzz {

std::string diff_cells(const std::vector<cella>& a,
                       const std::vector<cella>& b) {
  if (a.size() != b.size()) {
    return "cell count " + std::to_string(a.size()) + " against " +
           std::to_string(b.size());
  }
  for (size_t i = 0; i < a.size(); ++i) {
    if (!(a[i] == b[i])) return "cell " + std::to_string(i);
  }
  return {};
}

std::string diff_entries(const std::array<voce, voci_count>& a,
                         const std::array<voce, voci_count>& b) {
  for (size_t i = 0; i < a.size(); ++i) {
    if (!(a[i] == b[i])) return "entry " + std::to_string(i);
  }
  return {};
}

std::string diff_plan(const tracciato_t& a, const tracciato_t& b) {
  if (a.size() != b.size()) {
    return "plan of " + std::to_string(a.size()) + " metres against " +
           std::to_string(b.size());
  }
  for (int64_t metre = 0; metre < a.size(); ++metre) {
    for (int coord = 0; coord < 2; ++coord) {
      const double va = a.value(metre, coord);
      const double vb = b.value(metre, coord);
      if (a.kind(metre, coord) != b.kind(metre, coord) ||
          (a.kind(metre, coord) != tracciato_t::genere::vuoto &&
           std::memcmp(&va, &vb, sizeof va) != 0)) {
        return "plan metre " + std::to_string(metre) +
               (coord == 0 ? " x" : " y");
      }
    }
  }
  return {};
}

}  // namespace scenario::fuzz
