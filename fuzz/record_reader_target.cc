// The record reader under any text and any sequence of reads: it only ever
// fails with run_time_failure, always ends, and reports lines that exist.

#include <exception>
#include <string>

#include "compiler/record_reader.h"
#include "compiler/run_time_failure.h"
#include "fuzz/targets.h"

namespace scenario::fuzz {
namespace {

// What a text field may hold: a field holding a comma or a line end was
// quoted, and a quoted field holds no quote.
std::string check_text_field(const std::string& field) {
  const bool quoted_only = field.find_first_of(",\r\n") != std::string::npos;
  if (quoted_only && field.find('"') != std::string::npos) {
    return "a text field holds a delimiter and a quote: \"" + field + "\"";
  }
  return {};
}

class reader_run {
 public:
  explicit reader_run(std::string_view text)
      : reader_(std::string(text)), lines_(text_lines(text).count()) {}

  // Runs one operation; false once the reader has failed or nothing is
  // left, with `broken_` set when an invariant broke.
  bool step(unsigned char op) {
    const bool was_at_end = reader_.at_end();
    // The loops read nothing once the text is done; a field read must fail.
    if (was_at_end && op % 7 >= 4) return false;
    try {
      apply(op);
    } catch (const run_time_failure& e) {
      if (std::string(e.what()).empty()) broken_ = "a failure without words";
      return false;
    } catch (const std::exception& e) {
      broken_ = std::string("the reader threw something else: ") + e.what();
      return false;
    }
    if (!broken_.empty()) return false;
    if (was_at_end && op % 7 < 4) {
      broken_ = "a field was read past the end of the text";
      return false;
    }
    const int line = reader_.field_line();
    if (line < last_line_ || line < 1 || line > lines_) {
      broken_ = "field line " + std::to_string(line) + " after line " +
                std::to_string(last_line_) + " in a text of " +
                std::to_string(lines_) + " lines";
      return false;
    }
    last_line_ = line;
    return !reader_.at_end();
  }

  const std::string& broken() const { return broken_; }

 private:
  void apply(unsigned char op) {
    std::string riga;
    switch (op % 7) {
      case 0:
        broken_ = check_text_field(reader_.read_text());
        break;
      case 1:
        reader_.read_int32();
        break;
      case 2:
        reader_.read_int16();
        break;
      case 3:
        reader_.read_int8();
        break;
      case 4:
        search_generale(reader_, riga);
        break;
      case 5:
        // A key, then one number per record.
        records_loop(reader_, riga, 1, false, [this](std::string&) {
          reader_.read_int32();
          return true;
        });
        break;
      default:
        // Two dashed keys skipped at most; a text per record; keys that
        // mention "fine" end the loop.
        records_loop(reader_, riga, 2, true, [this](std::string& key) {
          if (contains_nocase(key, "[fine]")) return false;
          broken_ = check_text_field(reader_.read_text());
          return broken_.empty();
        });
        break;
    }
  }

  record_reader reader_;
  const int lines_;
  int last_line_ = 0;
  std::string broken_;
};

}  // namespace

std::string record_reader_target(std::string_view input) {
  const split_input parts = split_at_nul(input);
  // Without operations, one text field after another.
  const std::string_view ops = parts.second && !parts.first.empty()
                                   ? parts.first
                                   : std::string_view("\0", 1);
  const std::string_view text = parts.second ? *parts.second : parts.first;
  reader_run run(text);
  // Every operation consumes at least one byte, so the
  // reader is done long before this many rounds.
  const size_t rounds = text.size() + 2;
  for (size_t round = 0; round < rounds; ++round) {
    for (unsigned char op : ops) {
      if (!run.step(op)) return run.broken();
    }
  }
  return "the reader still reads after " + std::to_string(rounds) +
         " rounds of operations";
}

}  // namespace scenario::fuzz
