// What the editor asks of one checked description, answered from the
// records as the compiler read them and the checker's findings: hovers,
// completion, the outline, quick fixes and the way between a tunnel board
// and its tunnel. Each answer is the protocol's JSON; positions are UTF-16
// units, which in the 8-bit text are its byte columns.
#ifndef SCENARIO_EDITING_FEATURES_H_
#define SCENARIO_EDITING_FEATURES_H_

#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "checking/check.h"
#include "checking/warnings.h"
#include "editing/document.h"
#include "model/translation.h"

namespace scenario::editing {

using json = nlohmann::json;

// One description as last checked with its partner.
struct analysis {
  description in = description::line;
  std::string text;                     // the 8-bit text that was checked
  std::vector<record_as_read> records;  // this description's records
  std::vector<finding> findings;        // this description's findings
  // Where the line ends ("lunghezza percorso"), when the line was read.
  std::optional<int64_t> line_length_m;
};

// Line `n` (0-based) of 8-bit text without its line end; empty past the end.
std::string_view line_text(std::string_view text, int n);

// The diagnostics of the findings, at each field's range; `uri_text` is the
// editor's UTF-8 text when it holds the description, for the characters
// Windows-1252 cannot hold, which are errors of their own.
// At most `limit` of them are given (errors first), then one that says how
// many more there are. The findings' messages are the checker's; the
// texts added here are in the language of `tr`, like every text below.
json diagnostics_json(const analysis& a,
                      const std::vector<unencodable_char>& unencodable,
                      std::string_view utf8_text, const translator& tr,
                      size_t limit = std::numeric_limits<size_t>::max());

json hover_at(const analysis& a, text_position p, const translator& tr);
// The keys of the section at `p`, offered only where a key can stand (no
// comma before `p` on its line); as snippets with a placeholder per field
// when the client takes `snippets`, else as the plain key and its comma.
json completion_at(const analysis& a, text_position p, bool snippets,
                   const translator& tr);
json document_symbols(const analysis& a, const translator& tr);
json code_actions(const analysis& a, const std::string& uri, text_range r,
                  const translator& tr);
// The ranges a tunnel board leads to (its tunnel) or a tunnel to (its
// boards); empty elsewhere.
std::vector<text_range> definition_at(const analysis& a, text_position p);

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_FEATURES_H_
