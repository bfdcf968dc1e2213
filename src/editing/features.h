// One description as the editor last checked it with its partner: its
// 8-bit text, the records the compiler read from it and the checker's
// findings, with the protocol's positions and ranges of its fields. The
// editor's features (hover, completion, outline, quick fixes, diagnostics)
// answer from it; positions are UTF-16 units, which in the 8-bit text are
// its byte columns.
#ifndef SCENARIO_EDITING_FEATURES_H_
#define SCENARIO_EDITING_FEATURES_H_

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checking/check.h"
#include "editing/document.h"
#include "editing/request_params.h"
#include "model/translation.h"
#include "railway/records.h"

namespace scenario::editing {

using json = nlohmann::json;

// One description as last checked with its partner.
struct analysis {
  description in = description::line;
  std::string text;                     // the 8-bit text that was checked
  record_list records;  // this description's records
  std::vector<finding> findings;        // this description's findings
  // Where the line ends ("lunghezza percorso"), when the line was read.
  std::optional<int64_t> line_length_m;
};

// Line `n` (0-based) of 8-bit text without its line end; empty past the end.
std::string_view line_text(std::string_view text, int n);

json position_json(text_position p);
// The range of a field in the text.
text_range range_of(const field_place& f);
// The whole of a record's line, end of line excluded.
text_range line_range(const analysis& a, int line0);

// The record whose key or field `p` is in, with the field's index in
// `field` (-1 for the key, the count of numbers for the text); null when
// `p` is in none.
const record_as_read* record_at(const analysis& a, text_position p, int* field);

// A hover's contents: markdown text.
json markdown(std::string text);
// An edit that puts `text` over `r`.
json text_edit(const text_range& r, std::string text);

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_FEATURES_H_
