#include "editing/diagnostics.h"

#include <algorithm>
#include <cstdio>

#include "model/text_8bit.h"

namespace scenario::editing {
namespace {

json finding_json(const finding& f, const translator& tr) {
  text_range r;
  if (f.at.line > 0) {
    r = range_of({f.at.line, f.at.column, std::max(f.at.length, 1), 0});
  }
  json d = {{"range", range_json(r)},
            {"severity", f.is_error ? 1 : 2},
            {"source", "scenario"},
            {"message", windows1252_to_utf8(f.message(tr))}};
  if (f.warning.empty()) {
    d["code"] = f.code;
  } else {
    d["code"] = std::string(f.warning);
  }
  return d;
}

json unencodable_json(text_position at, const unencodable_char& u,
                      const translator& tr) {
  const text_position to{at.line,
                         at.character + (u.code_point >= 0x10000 ? 2 : 1)};
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X",
                static_cast<unsigned>(u.code_point));
  return {{"range", range_json({at, to})},
          {"severity", 1},
          {"source", "scenario"},
          {"code", "encoding"},
          {"message",
           u.code_point == 0xFFFD
               ? tr.format("%s stands for bytes that are no UTF-8", code)
               : tr.format("%s has no Windows-1252 byte: the description "
                           "cannot hold it",
                           code)}};
}

json more_problems_json(size_t hidden_errors, size_t hidden_warnings,
                        const translator& tr) {
  const size_t n = hidden_errors + hidden_warnings;
  return {
      {"range", range_json({})},
      {"severity", hidden_errors > 0 ? 1 : 2},
      {"source", "scenario"},
      {"code", "more-problems"},
      {"message", tr.format_plural("%d more problem not shown (%d errors, %d "
                                   "warnings): `scenario check` lists them all",
                                   "%d more problems not shown (%d errors, %d "
                                   "warnings): `scenario check` lists them all",
                                   n, n, hidden_errors, hidden_warnings)}};
}

}  // namespace

json diagnostics_json(const analysis& a,
                      const std::vector<unencodable_char>& unencodable,
                      std::string_view utf8_text, const translator& tr,
                      size_t limit) {
  // Errors come first, then the characters the file cannot hold, then the
  // warnings, as many as `limit` lets through; one more diagnostic counts
  // the rest.
  json out = json::array();
  size_t hidden_errors = 0;
  size_t hidden_warnings = 0;
  for (const bool errors : {true, false}) {
    for (const finding& f : a.findings) {
      if (f.is_error != errors) continue;
      if (out.size() < limit) {
        out.push_back(finding_json(f, tr));
      } else {
        ++(errors ? hidden_errors : hidden_warnings);
      }
    }
    if (!errors) break;
    // Each position counts from the last, so that many of them cost one
    // pass over the text.
    size_t from = 0;
    text_position at;
    for (const unencodable_char& u : unencodable) {
      if (out.size() >= limit) {
        ++hidden_errors;
        continue;
      }
      const text_position step =
          position_of(utf8_text.substr(from), u.offset - from);
      at = step.line == 0
               ? text_position{at.line, at.character + step.character}
               : text_position{at.line + step.line, step.character};
      from = u.offset;
      out.push_back(unencodable_json(at, u, tr));
    }
  }
  if (hidden_errors + hidden_warnings > 0) {
    out.push_back(more_problems_json(hidden_errors, hidden_warnings, tr));
  }
  return out;
}

}  // namespace scenario::editing
