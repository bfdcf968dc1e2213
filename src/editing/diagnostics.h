// The diagnostics an editor shows for a checked description: each finding
// at its field's range, each character Windows-1252 cannot hold, errors
// first, and a count of what a cap leaves out.
#ifndef SCENARIO_EDITING_DIAGNOSTICS_H_
#define SCENARIO_EDITING_DIAGNOSTICS_H_

#include <limits>
#include <string_view>
#include <vector>

#include "editing/features.h"

namespace scenario::editing {

// The diagnostics of the findings, at each field's range; `uri_text` is the
// editor's UTF-8 text when it holds the description, for the characters
// Windows-1252 cannot hold, which are errors of their own.
// At most `limit` of them are given (errors first), then one that says how
// many more there are. The findings' messages are the checker's; the
// texts added here are in the language of `tr`.
json diagnostics_json(const analysis& a,
                      const std::vector<unencodable_char>& unencodable,
                      std::string_view utf8_text, const translator& tr,
                      size_t limit = std::numeric_limits<size_t>::max());

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_DIAGNOSTICS_H_
