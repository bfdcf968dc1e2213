// Reads a description as a stream of fields: keys and texts, and 32-, 16- and
// 8-bit integers, with blanks, commas and line ends as delimiters. Every
// failure (reading past the end, a number outside its field, text where a
// number belongs) throws run_time_failure. Each field remembers where it
// starts (line, column, byte offset), so that a rejected record can be shown
// with its line and a caret under the field.
#ifndef SCENARIO_COMPILER_RECORD_READER_H_
#define SCENARIO_COMPILER_RECORD_READER_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace scenario {

class run_time_failure;

// Where a field stands in its description: 1-based line and byte column of
// its first character, its length in bytes on that line, and the byte offset
// of its first character in the whole text.
struct field_place {
  int line = 0;
  int column = 0;
  int length = 0;
  size_t offset = 0;
};

// The span a diagnostic shows for `at`: its place and the whole text of its
// line (without the line end). `text` is the description the place is in.
source_span span_at(std::string_view text, const field_place& at);

// One field as it was read, for whoever watches the records go by: its
// place, and its number or its text (a view into the reader's text).
struct read_field {
  field_place at;
  int64_t number = 0;
  std::string_view text;
  bool is_text = false;
};

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
  // Where the last field read (or failed to be read) stands.
  const field_place& last_field() const { return field_; }
  // The span of `at` in this reader's text.
  source_span span(const field_place& at) const { return span_at(text_, at); }

  // Resynchronising after a failure: skips what is left of line `line` so
  // that reading goes on at the start of the next line (nothing is skipped
  // when the reader already stands past it).
  void skip_past_line(int line);

  // With logging on, every field read after begin_record() is kept with its
  // place and value, for an observer of the records; the place of the field
  // read last before begin_record() is the record's key.
  void set_logging(bool on) { logging_ = on; }
  void begin_record();
  const field_place& record_key() const { return key_; }
  const std::vector<read_field>& record_fields() const { return fields_; }

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
  // `pattern` words a value outside [low, high]: filled with the value,
  // `low` and `high`.
  int64_t read_integer(int64_t low, int64_t high, const char* pattern);
  // Throws run_time_failure with `pattern` (marked) filled with `args`.
  [[noreturn]] void fail(const char* pattern,
                         std::vector<std::string> args = {}) const;

  // Records the length of the field in hand, which ends before `end`.
  void end_field(size_t end);
  void log_field(int64_t number, std::string_view text, bool is_text);

  std::string text_;
  size_t pos_ = 0;
  size_t content_end_ = 0;  // just past the last character of any field
  int line_ = 1;            // line of pos_
  size_t line_start_ = 0;   // offset of the first character of line_
  int field_line_ = 0;      // line where the last field started
  field_place field_;       // the last field started

  bool logging_ = false;
  field_place key_;
  std::vector<read_field> fields_;
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
//
// Without `recover` a run_time_failure leaves the loop. With it, a failure
// while a record is read or handled is handed to `recover`: when it returns
// true, reading resumes at the start of the line after the failing field;
// when it returns false, the failure leaves the loop.
void records_loop(
    record_reader& r, std::string& riga, int dash_repeats, bool eof_ends_loop,
    const std::function<bool(std::string& riga)>& handle,
    const std::function<bool(const run_time_failure&)>& recover = {});

}  // namespace scenario

#endif  // SCENARIO_COMPILER_RECORD_READER_H_
