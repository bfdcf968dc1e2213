// Lays a line or train description out canonically: within each run of
// records of the same kind, the fields stand in columns, a key and its comma
// first, numbers right-aligned, texts left-aligned. Only blank runs between
// fields change; newlines, commas, quoted texts, dash comments and the text
// of every field stay byte for byte, so a description compiles to the same
// scenario before and after. `scenario fmt` and the language server both
// format through format_description.
#ifndef SCENARIO_EDITING_FORMATTER_H_
#define SCENARIO_EDITING_FORMATTER_H_

#include <string>
#include <string_view>

namespace scenario::editing {

// The formatted bytes of a whole description (Windows-1252 bytes in, the same
// bytes out, only blanks moved). Any text is accepted: what cannot be read as
// fields is left as written. Idempotent, and blind to the blanks it was given.
std::string format_description(std::string_view text);

// Why `text` cannot be read as a description at all, or an empty string when
// it can: a description is text (no NUL byte) in which some line opens with
// the key "[generale]", where the reader starts reading records.
std::string description_problem(std::string_view text);

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_FORMATTER_H_
