#include "sources/line_table.h"

#include <algorithm>

namespace scenario {

line_table::line_table(std::span<const std::string_view> content) {
  const std::size_t n = std::min(content.size(), slots_.size());
  std::copy_n(content.begin(), n, slots_.begin());
}

std::vector<std::string_view> line_table::lines() const {
  std::vector<std::string_view> out;
  for (std::string_view text : slots_) {
    if (text == end_marker) break;
    out.push_back(text);
  }
  return out;
}

bool write_line_table(const std::filesystem::path& target,
                      const line_table& table, file_failure* failure) {
  return write_text_lines(target, table.lines(), failure);
}

}  // namespace scenario
