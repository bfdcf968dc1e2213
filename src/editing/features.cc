#include "editing/features.h"

#include <algorithm>

namespace scenario::editing {
namespace {

bool covers(const field_place& f, text_position p) {
  if (f.line - 1 != p.line) return false;
  const int from = f.column - 1;
  return p.character >= from && p.character <= from + f.length;
}

}  // namespace

std::string_view line_text(std::string_view text, int n) {
  size_t i = 0;
  for (int line = 0; line < n; ++line) {
    const size_t e = text.find_first_of("\r\n", i);
    if (e == std::string_view::npos) return {};
    i = e +
        (text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n' ? 2 : 1);
  }
  const size_t e = text.find_first_of("\r\n", i);
  return text.substr(i, e == std::string_view::npos ? text.size() - i : e - i);
}

json position_json(text_position p) {
  return {{"line", p.line}, {"character", p.character}};
}

text_range range_of(const field_place& f) {
  const int line = std::max(f.line - 1, 0);
  const int col = std::max(f.column - 1, 0);
  return {{line, col}, {line, col + std::max(f.length, 0)}};
}

text_range line_range(const analysis& a, int line0) {
  return {{line0, 0},
          {line0, static_cast<int>(line_text(a.text, line0).size())}};
}

const record_as_read* record_at(const analysis& a, text_position p,
                                int* field) {
  for (const record_as_read& r : a.records) {
    if (covers(r.key_at(), p)) {
      *field = -1;
      return &r;
    }
    for (size_t i = 0; i < r.number_count(); ++i) {
      if (covers(r.place(i), p)) {
        *field = static_cast<int>(i);
        return &r;
      }
    }
    if (r.has_text()) {
      if (covers(r.text_at(), p)) {
        *field = static_cast<int>(r.number_count());
        return &r;
      }
    }
  }
  return nullptr;
}

json markdown(std::string text) {
  return {{"contents", {{"kind", "markdown"}, {"value", std::move(text)}}}};
}

json text_edit(const text_range& r, std::string text) {
  return {{"range", range_json(r)}, {"newText", std::move(text)}};
}

}  // namespace scenario::editing
