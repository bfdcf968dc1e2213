// Entry names and board texts are 8-bit text of the Windows-1252 code page.
// Every reader that shows them to a person (inspection, comparison, drawing)
// turns them into UTF-8 here, so that all show the same characters.
#ifndef SCENARIO_MODEL_TEXT_8BIT_H_
#define SCENARIO_MODEL_TEXT_8BIT_H_

#include <string>
#include <string_view>

namespace scenario {

// The code point of one Windows-1252 byte. The five bytes that code page
// leaves undefined map to the control characters of the same number, as
// Windows maps them, so that no byte is lost.
char32_t windows1252_code_point(unsigned char byte);

// Appends `c` (below U+10000) to `out` as UTF-8.
void append_utf8(std::string& out, char32_t c);

// The UTF-8 form of a whole 8-bit text.
std::string windows1252_to_utf8(std::string_view text);

}  // namespace scenario

#endif  // SCENARIO_MODEL_TEXT_8BIT_H_
