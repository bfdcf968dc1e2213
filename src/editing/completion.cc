#include "editing/completion.h"

#include <algorithm>
#include <cctype>

#include "editing/record_help.h"

namespace scenario::editing {
namespace {

constexpr int completion_keyword = 14;
constexpr int completion_snippet = 15;
constexpr int insert_as_plain_text = 1;
constexpr int insert_as_snippet = 2;

// The section a line is in: the last "[...]" head above it.
std::string section_above(std::string_view text, int line0) {
  for (int n = line0; n >= 0; --n) {
    std::string_view l = line_text(text, n);
    while (!l.empty() && (l.front() == ' ' || l.front() == '\t')) {
      l.remove_prefix(1);
    }
    if (!l.empty() && l.front() == '[') {
      const size_t close = l.find(']');
      std::string s(
          l.substr(0, close == std::string_view::npos ? l.size() : close + 1));
      for (char& c : s) c = static_cast<char>(std::tolower(c));
      return s;
    }
  }
  return {};
}

}  // namespace

json completion_at(const analysis& a, text_position p, bool snippets,
                   const translator& tr) {
  json items = json::array();
  // A key stands first on its line: once a comma is typed the cursor is in
  // a field, and a dash comment or a section head takes no key either.
  const std::string_view line = line_text(a.text, p.line);
  const std::string_view before =
      line.substr(0, std::min<size_t>(std::max(p.character, 0), line.size()));
  const size_t first = before.find_first_not_of(" \t");
  const bool key_place = before.find(',') == std::string_view::npos &&
                         (first == std::string_view::npos ||
                          (before[first] != '-' && before[first] != '['));
  if (!key_place) return {{"isIncomplete", false}, {"items", items}};
  const std::string section = section_above(a.text, p.line);
  for (const record_help* h : keys_for_section(section, a.in)) {
    json item = {{"label", std::string(h->key)},
                 {"detail", tr(h->meaning.data())},
                 {"documentation", tr.format("fields: %s", field_list(*h))}};
    if (snippets) {
      item["kind"] = completion_snippet;
      item["insertText"] = snippet(*h);
      item["insertTextFormat"] = insert_as_snippet;
    } else {
      item["kind"] = completion_keyword;
      item["insertText"] = std::string(h->key) + ", ";
      item["insertTextFormat"] = insert_as_plain_text;
    }
    items.push_back(std::move(item));
  }
  return {{"isIncomplete", false}, {"items", items}};
}

}  // namespace scenario::editing
