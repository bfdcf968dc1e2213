#include "fuzz/targets.h"

#include <array>

namespace scenario::fuzz {

std::span<const target> all_targets() {
  static constexpr std::array<target, 3> targets = {{
      {"record_reader", record_reader_target},
      {"compile", compile_target},
      {"decoder", decoder_target},
  }};
  return targets;
}

split_input split_at_nul(std::string_view input) {
  const size_t nul = input.find('\0');
  if (nul == std::string_view::npos) return {input, std::nullopt};
  return {input.substr(0, nul), input.substr(nul + 1)};
}

int count_lines(std::string_view text) {
  int lines = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' ||
        (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
      ++lines;
    }
  }
  return lines;
}

}  // namespace scenario::fuzz
