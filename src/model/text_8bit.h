// Descriptions, entry names and board texts are 8-bit text of the
// Windows-1252 code page. Every writer that shows them to a person (JSON,
// SARIF, HTML, a terminal line) turns them into UTF-8 here, so that all show
// the same characters; an editor's UTF-8 text turns back into the file's
// bytes here too. Each byte decodes to one code point below U+10000:
// a column counted in bytes of the 8-bit text is also the column in
// characters and in UTF-16 code units of the decoded text.
#ifndef SCENARIO_MODEL_TEXT_8BIT_H_
#define SCENARIO_MODEL_TEXT_8BIT_H_

#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// The code point of one Windows-1252 byte. The five bytes that code page
// leaves undefined map to the control characters of the same number, as
// Windows maps them, so that no byte is lost.
char32_t windows1252_code_point(unsigned char byte);

// Appends `c` (below U+10000) to `out` as UTF-8.
void append_utf8(std::string& out, char32_t c);

// The UTF-8 form of a whole 8-bit text.
std::string windows1252_to_utf8(std::string_view text);

// A character of UTF-8 text that Windows-1252 cannot hold: its byte offset
// in the UTF-8 text and its code point (U+FFFD for bytes that are no UTF-8).
struct unencodable_char {
  size_t offset = 0;
  char32_t code_point = 0;
};

// The Windows-1252 bytes of UTF-8 text. U+0080 to U+009F become the byte of
// the same number, so that text read as Latin-1 comes back unchanged. A
// character the code page cannot hold becomes one '?' per UTF-16 unit (two
// beyond U+FFFF), so that every byte of the result stands for one UTF-16
// unit of the input; each is listed in `unencodable` when given.
std::string utf8_to_windows1252(std::string_view text,
                                std::vector<unencodable_char>* unencodable);

// The same for a terminal or a page: control characters other than tab, line
// feed and carriage return (the undefined bytes among them) show as U+FFFD,
// so that nothing a description holds is obeyed as a command. Still one
// character per byte.
std::string windows1252_to_printable(std::string_view text);
// The same, appended to `out`.
void append_printable(std::string& out, std::string_view text);

// Whether `bytes` are well-formed UTF-8 (no overlong form, no surrogate,
// nothing above U+10FFFF).
bool is_valid_utf8(std::string_view bytes);

// Bytes taken as UTF-8, such as a path from the command line, made valid:
// each ill-formed sequence (its longest valid prefix, or one byte) becomes
// U+FFFD; well-formed text is returned as it stands. For JSON and SARIF,
// which escape control characters themselves.
std::string utf8_with_replacement(std::string_view bytes);

// A path for a page: as utf8_with_replacement, and control characters other
// than tab, line feed and carriage return show as U+FFFD. (A terminal line
// names a path as the bytes it is.)
std::string path_to_printable(std::string_view bytes);

}  // namespace scenario

#endif  // SCENARIO_MODEL_TEXT_8BIT_H_
