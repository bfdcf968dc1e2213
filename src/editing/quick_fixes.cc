#include "editing/quick_fixes.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

#include "editing/diagnostics.h"
#include "railway/record_railway.h"

namespace scenario::editing {
namespace {

// The columns [first, second) of the length a tunnel board states in its
// text field `at` of `line`: from the first digit after the "m." that the
// warning reads through the rest of that word, so that a mistyped length
// ("m.5x0") is replaced whole and the blanks and brackets around it stay.
std::optional<std::pair<int, int>> stated_length_span(std::string_view line,
                                                      const field_place& at) {
  const size_t from = static_cast<size_t>(std::max(at.column - 1, 0));
  const size_t to =
      at.length > 0 ? std::min(line.size(), from + at.length) : line.size();
  const auto word_end = [&](size_t i) {
    while (i < to && line[i] != ' ' && line[i] != '\t' && line[i] != ')' &&
           line[i] != '(' && line[i] != ',') {
      ++i;
    }
    return i;
  };
  for (size_t m = from; m + 1 < to; ++m) {
    if ((line[m] != 'm' && line[m] != 'M') || line[m + 1] != '.') continue;
    size_t digit = m + 2;
    while (digit < to && line[digit] == ' ') ++digit;
    if (digit < to && std::isdigit(static_cast<unsigned char>(line[digit]))) {
      return std::pair{static_cast<int>(digit),
                       static_cast<int>(word_end(digit))};
    }
  }
  return std::nullopt;
}

// A fix: its title and its edits; no edits when none is plain.
struct fix {
  std::string title;
  json edits = json::array();
};

// The board's stated length set to the tunnel it reaches.
fix tunnel_length_fix(const analysis& a, const railway::record_railway& rail,
                      const record_as_read& r, const translator& tr) {
  const railway::direction_board_fact* b = rail.direction_board(r);
  if (b == nullptr || b->reaches == nullptr) return {};
  const record_as_read& t = *b->reaches;
  const std::optional<std::pair<int, int>> span =
      stated_length_span(line_text(a.text, r.text_at().line - 1), r.text_at());
  if (!span) return {};
  const std::string length = std::to_string(t.number(1) - t.number(0));
  fix out{tr.format("State the tunnel's length: m.%s", length)};
  const int l0 = r.text_at().line - 1;
  out.edits.push_back(
      text_edit({{l0, span->first}, {l0, span->second}}, length));
  return out;
}

// The record moved to the nearest end of the line it passes.
fix beyond_line_fix(const analysis& a, const record_as_read& r,
                    const translator& tr) {
  fix out;
  auto& edits = out.edits;
  const int64_t length = *a.line_length_m;
  const int64_t start = r.number(0);
  const auto set = [&](size_t i, int64_t v) {
    edits.push_back(text_edit(range_of(r.place(i)), std::to_string(v)));
  };
  const bool point = r.kind != record_kind::curve &&
                     r.kind != record_kind::tunnel &&
                     r.kind != record_kind::slowdown;
  if (start < 0 && point) {
    set(0, 0);
  } else if (start < 0 && r.kind == record_kind::tunnel && r.number(1) > 0) {
    set(0, 0);
  } else if (start > length && point) {
    set(0, length - length % cell_length_m);
  } else if (start <= length && r.kind == record_kind::tunnel) {
    set(1, length);
  } else if (start <= length && r.kind == record_kind::curve) {
    set(1, length - start);
  } else {
    return {};
  }
  out.title = tr("Move the record back inside the line");
  return out;
}

// The fix of one warning, or null when none is unambiguous.
json fix_for(const analysis& a, const railway::record_railway& rail,
             const finding& f, const std::string& uri, const translator& tr) {
  const auto at_place = [&](const field_place& place) {
    return place.line == f.at.line && place.column == f.at.column;
  };
  fix found;
  for (const record_as_read& r : a.records) {
    if (f.warning == "tunnel-board" && r.kind == record_kind::direction_board &&
        at_place(r.text_at())) {
      found = tunnel_length_fix(a, rail, r, tr);
      break;
    }
    if (f.warning == "duplicate-record" && at_place(r.key_at())) {
      const int l0 = r.key_at().line - 1;
      found.title = tr("Remove the repeated record");
      found.edits.push_back(text_edit({{l0, 0}, {l0 + 1, 0}}, ""));
      break;
    }
    if (f.warning == "beyond-line" && at_place(r.place(0)) && a.line_length_m) {
      found = beyond_line_fix(a, r, tr);
      break;
    }
  }
  if (found.edits.empty()) return nullptr;
  return {{"title", found.title},
          {"kind", "quickfix"},
          {"edit", {{"changes", {{uri, found.edits}}}}}};
}

}  // namespace

json code_actions(const analysis& a, const std::string& uri, text_range r,
                  const translator& tr) {
  json out = json::array();
  const railway::record_railway rail(a.records);
  for (const finding& f : a.findings) {
    if (f.warning.empty() || f.at.line == 0) continue;
    const int line0 = f.at.line - 1;
    if (line0 < r.start.line || line0 > r.end.line) continue;
    json action = fix_for(a, rail, f, uri, tr);
    if (action.is_null()) continue;
    json d = diagnostics_json({a.in, {}, {}, {f}, {}}, {}, {}, tr);
    action["diagnostics"] = d;
    out.push_back(std::move(action));
  }
  return out;
}

}  // namespace scenario::editing
