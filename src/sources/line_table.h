// The line table through which every source writer holds and writes its
// content: 1001 text slots holding the file's lines in order, then the end
// marker. Writing walks the slots and stops at the marker, never writing it.
#ifndef SCENARIO_SOURCES_LINE_TABLE_H_
#define SCENARIO_SOURCES_LINE_TABLE_H_

#include <array>
#include <cstddef>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "output/replace_file.h"

namespace scenario {

inline constexpr std::string_view end_marker = "riferimento fine del file";
inline constexpr std::size_t line_table_slots = 1001;

// True when `content` is a writer's literal table: it fits the slots and
// ends with the end marker, which stands nowhere else. Writers check their
// tables with it at compile time.
constexpr bool is_line_table_content(
    std::span<const std::string_view> content) {
  if (content.empty() || content.size() > line_table_slots) return false;
  for (std::size_t i = 0; i + 1 < content.size(); ++i) {
    if (content[i] == end_marker) return false;
  }
  return content.back() == end_marker;
}

class line_table {
 public:
  // Slots 0 onward receive `content` (lines and marker); the rest stay
  // empty. Content beyond the last slot is dropped.
  explicit line_table(std::span<const std::string_view> content);

  std::string_view slot(std::size_t i) const { return slots_.at(i); }

  // The texts before the first slot equal to the marker (exact,
  // case-sensitive); every slot when no marker is present.
  std::vector<std::string_view> lines() const;

 private:
  std::array<std::string_view, line_table_slots> slots_{};
};

// Replaces `target` with the table's lines, each followed by CR LF, through
// the safe replacement. On failure returns false and fills *failure.
bool write_line_table(const std::filesystem::path& target,
                      const line_table& table, file_failure* failure);

}  // namespace scenario

#endif  // SCENARIO_SOURCES_LINE_TABLE_H_
