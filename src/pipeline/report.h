// How recorded codes reach a person. The builder prints one line per code:
//   FILE:LINE: error CODE: meaning (position N m)
// and the author's tools print them as compilers do, with the column of the
// field, the position also in kilometres, the source line and a caret:
//   FILE:LINE:COLUMN: error CODE: meaning (position 2+400, 2400 m)
//      42 | segnale,    2400,   1, ...
//         |             ^~~~
// The same rendering serves the checker's warnings. Paths are named as the
// bytes they are; what comes from a description (a quoted field, a source
// line) is 8-bit text, decoded here for the terminal.
#ifndef SCENARIO_PIPELINE_REPORT_H_
#define SCENARIO_PIPELINE_REPORT_H_

#include <ostream>
#include <string>

#include "model/model.h"
#include "model/translation.h"

namespace scenario {

// With `file_name_only`, the description is named without its directory.
// Words in the language of `tr`.
std::string format_diagnostic(const diagnostic& d, bool file_name_only,
                              const translator& tr);

void report_diagnostics(const scenario_model& m, std::ostream& err,
                        bool file_name_only, const translator& tr);

// A message about a field of a description, in the compiler's form.
struct located_message {
  std::string file;  // empty when the message has no file
  source_span at;    // at.line 0 when it has no place
  bool is_error = true;
  std::string label;  // "error 16", "warning"
  std::string text;   // what is wrong, with its position: 8-bit text
};

// Colour (ANSI escapes) only when asked for; see use_colour().
std::string render_message(const located_message& msg, bool colour);
// The same, appended to `out`.
void append_message(std::string& out, const located_message& msg, bool colour);

// " (position 2+400, 2400 m)", or nothing without a position: 8-bit text.
std::string position_note(std::optional<int32_t> metres, const translator& tr);

// The compiler's form of a recorded code.
located_message diagnostic_message(const diagnostic& d, const translator& tr);

// The compiler's form of every recorded code.
void report_diagnostics_with_source(const scenario_model& m, std::ostream& err,
                                    bool colour, const translator& tr);

// Colour suits a terminal on standard error, unless NO_COLOR is set.
bool use_colour();

}  // namespace scenario

#endif  // SCENARIO_PIPELINE_REPORT_H_
