// Reads a description as a stream of fields: keys and texts, and 32-, 16- and
// 8-bit integers, with blanks, commas and line ends as delimiters. Every
// failure (reading past the end, a number outside its field, text where a
// number belongs) throws run_time_failure. Each field remembers the line it
// starts on, so that a rejected record can be reported with its line.
#ifndef SCENARIO_COMPILER_RECORD_READER_H_
#define SCENARIO_COMPILER_RECORD_READER_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace scenario {

class record_reader {
 public:
  // `text` is the whole file; CR LF, a bare LF and a lone CR each end a line.
  explicit record_reader(std::string text);

  // True when nothing but blanks and line ends remains unread: blank lines
  // after the last field are no field, so an editor's trailing empty line
  // neither fails the reading nor gets the last field processed.
  bool at_end() const;

  // A text field (a key, a name, a board text): quoted or unquoted; the
  // trailing blanks of an unquoted field are dropped.
  std::string read_text();
  int32_t read_int32();
  int16_t read_int16();
  uint8_t read_int8();  // 0 to 255

  // 1-based line on which the last field read started.
  int field_line() const;

 private:
  bool at_line_end() const;
  void consume_line_end();  // CR LF counts as one line end
  void skip_blanks();
  // Skips blanks and line ends up to the next field, throws when none is
  // left, and records the field's line.
  void begin_field();
  // Skips the rest of a field up to and including its comma or line end.
  void skip_to_delimiter();
  // Reads one integer field and checks it against [low, high].
  int64_t read_integer(int64_t low, int64_t high, const char* kind);
  [[noreturn]] void fail(const std::string& what) const;

  std::string text_;
  size_t pos_ = 0;
  size_t content_end_ = 0;  // just past the last character of any field
  int line_ = 1;            // line of pos_
  int field_line_ = 0;      // line where the last field started
};

// Key tests: does `key` contain `word`, ignoring letter case or exactly.
bool contains_nocase(std::string_view key, std::string_view word);
bool contains_exact(std::string_view key, std::string_view word);

// Reads keys until one contains "[generale]" (ignoring case). Returns false
// when the end of the file is met right after a key has been read (for the
// line description that is code 102), true otherwise.
bool search_generale(record_reader& r, std::string& riga);

// The records loop: until the end of the file, read a key into `riga` (a key
// read as the file's last field is never processed), apply the dash rule
// `dash_repeats` times (with `eof_ends_loop`, reaching the end after a repeat
// ends the loop), then call `handle`. The loop also ends when `handle`
// returns false.
void records_loop(record_reader& r, std::string& riga, int dash_repeats,
                  bool eof_ends_loop,
                  const std::function<bool(std::string& riga)>& handle);

}  // namespace scenario

#endif  // SCENARIO_COMPILER_RECORD_READER_H_
