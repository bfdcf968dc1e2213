#include "fuzz/targets.h"

#include <array>

namespace scenario::fuzz {

std::span<const target> all_targets() {
  static constexpr std::array<target, 6> targets = {{
      {"record_reader", record_reader_target},
      {"compile", compile_target},
      {"decoder", decoder_target},
      {"check", check_target},
      {"format", format_target},
      {"message_reader", message_reader_target},
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

std::string_view line_of(std::string_view text, int n) {
  size_t start = 0;
  for (int line = 1; line < n && start < text.size(); ++line) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) return {};
    start = end +
            (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n'
                 ? 2
                 : 1);
  }
  if (start > text.size()) return {};
  const size_t end = text.find_first_of("\r\n", start);
  return text.substr(start, end == std::string_view::npos ? end : end - start);
}

}  // namespace scenario::fuzz
