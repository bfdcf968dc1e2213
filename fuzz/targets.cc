#include "fuzz/targets.h"

#include <algorithm>
#include <array>

#include "compiler/record_reader.h"
#include "model/model.h"

namespace scenario::fuzz {

std::span<const target> all_targets() {
  static constexpr std::array<target, 8> targets = {{
      {"record_reader", record_reader_target},
      {"compile", compile_target},
      {"decoder", decoder_target},
      {"check", check_target},
      {"format", format_target},
      {"message_reader", message_reader_target},
      {"decoded_outputs", decoded_outputs_target},
      {"timing", timing_target},
  }};
  return targets;
}

split_input split_at_nul(std::string_view input) {
  const size_t nul = input.find('\0');
  if (nul == std::string_view::npos) return {input, std::nullopt};
  return {input.substr(0, nul), input.substr(nul + 1)};
}

text_lines::text_lines(std::string_view text) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines_.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines_.push_back(text.substr(start));
}

std::string_view text_lines::line(int n) const {
  if (n < 1 || n > count()) return {};
  return lines_[static_cast<size_t>(n - 1)];
}

int utf8_characters(std::string_view utf8) {
  return static_cast<int>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

namespace {

// The digits of the number after the first comma of `line`, as the record
// reader reads them (blanks, then a sign), or an empty range.
std::pair<size_t, size_t> number_after_key(std::string_view line) {
  size_t at = line.find(',');
  if (at == std::string_view::npos) return {0, 0};
  ++at;
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  if (at < line.size() && (line[at] == '+' || line[at] == '-')) ++at;
  size_t end = at;
  while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
  return {at, end};
}

}  // namespace

std::string clamp_line_lengths(std::string_view description) {
  std::string out;
  out.reserve(description.size());
  while (!description.empty()) {
    size_t end = description.find_first_of("\r\n");
    if (end == std::string_view::npos) end = description.size();
    const std::string_view line = description.substr(0, end);
    const std::string_view key = line.substr(0, line.find(','));
    const auto [from, to] = number_after_key(line);
    int64_t value = 0;
    for (size_t i = from; i < to && value <= max_line_length_m; ++i) {
      value = value * 10 + (line[i] - '0');
    }
    if (contains_nocase(key, "lunghezza") && contains_nocase(key, "percorso") &&
        value > fuzz_line_length_bound_m && value <= max_line_length_m &&
        (from == 0 || line[from - 1] != '-')) {
      out.append(line.substr(0, from));
      out += std::to_string(fuzz_line_length_bound_m);
      out.append(line.substr(to));
    } else {
      out.append(line);
    }
    const size_t next = std::min(description.size(), end + 1);
    out.append(description.substr(end, next - end));
    description.remove_prefix(next);
  }
  return out;
}

}  // namespace scenario::fuzz
