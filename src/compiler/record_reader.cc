#include "compiler/record_reader.h"

#include <algorithm>
#include <utility>

#include "compiler/run_time_failure.h"

namespace scenario {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

bool is_line_end_char(char c) { return c == '\r' || c == '\n'; }

// ASCII case folding only: the keys are plain ASCII words, and bytes above
// 127 must not change meaning with the machine's locale.
char fold_case(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

source_span span_at(std::string_view text, const field_place& at) {
  source_span s;
  if (at.line <= 0) return s;
  s.line = at.line;
  s.column = at.column;
  s.length = at.length;
  const size_t start = std::min(at.offset, text.size()) -
                       static_cast<size_t>(std::max(at.column - 1, 0));
  size_t end = start;
  while (end < text.size() && !is_line_end_char(text[end])) ++end;
  s.text = std::string(text.substr(start, end - start));
  return s;
}

record_reader::record_reader(std::string text) : text_(std::move(text)) {
  content_end_ = text_.size();
  while (content_end_ > 0 && (is_blank(text_[content_end_ - 1]) ||
                              is_line_end_char(text_[content_end_ - 1]))) {
    --content_end_;
  }
}

bool record_reader::at_end() const { return pos_ >= content_end_; }

int record_reader::field_line() const { return field_line_; }

bool record_reader::at_line_end() const {
  return pos_ < text_.size() && is_line_end_char(text_[pos_]);
}

void record_reader::consume_line_end() {
  if (text_[pos_] == '\r' && pos_ + 1 < text_.size() &&
      text_[pos_ + 1] == '\n') {
    ++pos_;
  }
  ++pos_;
  ++line_;
  line_start_ = pos_;
}

void record_reader::skip_blanks() {
  while (pos_ < text_.size() && is_blank(text_[pos_])) ++pos_;
}

void record_reader::begin_field() {
  for (;;) {
    skip_blanks();
    if (!at_line_end()) break;
    consume_line_end();
  }
  field_line_ = line_;
  field_ = {line_, static_cast<int>(pos_ - line_start_) + 1, 0, pos_};
  if (at_end()) fail(N_("reading past the end of the file"));
}

void record_reader::end_field(size_t end) {
  field_.length = static_cast<int>(end - field_.offset);
}

void record_reader::log_field(int64_t number, std::string_view text,
                              bool is_text) {
  if (logging_) fields_.push_back({field_, number, text, is_text});
}

void record_reader::begin_record() {
  key_ = field_;
  fields_.clear();
}

void record_reader::skip_past_line(int line) {
  while (line_ <= line && pos_ < text_.size()) {
    if (at_line_end()) {
      consume_line_end();
    } else {
      ++pos_;
    }
  }
}

void record_reader::skip_to_delimiter() {
  while (pos_ < text_.size() && text_[pos_] != ',' && !at_line_end()) ++pos_;
  if (at_end()) return;
  if (text_[pos_] == ',') {
    ++pos_;
  } else {
    consume_line_end();
  }
}

void record_reader::fail(const char* pattern,
                         std::vector<std::string> args) const {
  // The line is known to the caller through field_line().
  throw run_time_failure(pattern, std::move(args));
}

std::string record_reader::read_text() {
  begin_field();
  if (text_[pos_] == '"') {
    // A quoted text may hold commas and even line ends; what follows the
    // closing quote up to the delimiter is not part of the field.
    const size_t start = ++pos_;
    while (pos_ < text_.size() && text_[pos_] != '"') {
      if (at_line_end()) {
        consume_line_end();
      } else {
        ++pos_;
      }
    }
    if (at_end()) fail(N_("a quoted text has no closing quote"));
    // The caret covers the quotes, as far as the field's first line goes.
    size_t first_line_end = field_.offset;
    while (first_line_end <= pos_ && !is_line_end_char(text_[first_line_end])) {
      ++first_line_end;
    }
    end_field(first_line_end);
    std::string field = text_.substr(start, pos_ - start);
    log_field(0, std::string_view(text_).substr(start, pos_ - start), true);
    ++pos_;
    skip_to_delimiter();
    return field;
  }
  const size_t start = pos_;
  while (pos_ < text_.size() && text_[pos_] != ',' && !at_line_end()) ++pos_;
  size_t end = pos_;
  while (end > start && is_blank(text_[end - 1])) --end;
  end_field(end);
  log_field(0, std::string_view(text_).substr(start, end - start), true);
  skip_to_delimiter();
  return text_.substr(start, end - start);
}

int64_t record_reader::read_integer(int64_t low, int64_t high,
                                    const char* pattern) {
  begin_field();
  if (text_[pos_] == ',') {  // an empty field reads as 0
    end_field(pos_);
    log_field(0, {}, false);
    ++pos_;
    return 0;
  }
  const size_t start = pos_;
  while (pos_ < text_.size() && !is_blank(text_[pos_]) && text_[pos_] != ',' &&
         !at_line_end()) {
    ++pos_;
  }
  end_field(pos_);
  const std::string_view token(text_.data() + start, pos_ - start);

  size_t i = 0;
  const bool negative = token[0] == '-';
  if (token[0] == '-' || token[0] == '+') i = 1;
  if (i == token.size())
    fail(N_("\"%s\" is not a number"), {std::string(token)});
  // Saturate far above every field's range so that a long run of digits
  // cannot overflow and still fails the range check.
  constexpr int64_t saturated = int64_t{1} << 40;
  int64_t value = 0;
  for (; i < token.size(); ++i) {
    const char c = token[i];
    if (c < '0' || c > '9') {
      fail(N_("\"%s\" is not a whole number"), {std::string(token)});
    }
    value = std::min(saturated, value * 10 + (c - '0'));
  }
  if (negative) value = -value;
  if (value < low || value > high) {
    fail(pattern,
         {std::string(token), std::to_string(low), std::to_string(high)});
  }

  log_field(value, {}, false);

  // The delimiter: blanks, then at most one comma or one line end. Another
  // character means the next number follows after blanks only.
  skip_blanks();
  if (!at_end()) {
    if (text_[pos_] == ',') {
      ++pos_;
    } else if (at_line_end()) {
      consume_line_end();
    }
  }
  return value;
}

int32_t record_reader::read_int32() {
  return static_cast<int32_t>(
      read_integer(INT32_MIN, INT32_MAX,
                   N_("%s lies outside the 32-bit integer field (%s to %s)")));
}

int16_t record_reader::read_int16() {
  return static_cast<int16_t>(
      read_integer(INT16_MIN, INT16_MAX,
                   N_("%s lies outside the 16-bit integer field (%s to %s)")));
}

uint8_t record_reader::read_int8() {
  return static_cast<uint8_t>(read_integer(
      0, 255, N_("%s lies outside the 8-bit integer field (%s to %s)")));
}

bool contains_nocase(std::string_view key, std::string_view word) {
  if (word.empty()) return true;
  return std::search(key.begin(), key.end(), word.begin(), word.end(),
                     [](char a, char b) {
                       return fold_case(a) == fold_case(b);
                     }) != key.end();
}

bool contains_exact(std::string_view key, std::string_view word) {
  return key.find(word) != std::string_view::npos;
}

bool search_generale(record_reader& r, std::string& riga) {
  for (;;) {
    riga = r.read_text();
    if (r.at_end()) return false;
    if (contains_nocase(riga, "[generale]")) return true;
  }
}

namespace {

enum class loop_step { next, end };

loop_step one_record(record_reader& r, std::string& riga, int dash_repeats,
                     bool eof_ends_loop,
                     const std::function<bool(std::string& riga)>& handle) {
  riga = r.read_text();
  if (r.at_end()) return loop_step::end;  // the last field is never processed
  // A dashed key is a comment, but only a fixed number of them is skipped.
  for (int i = 0; i < dash_repeats && contains_exact(riga, "-"); ++i) {
    riga = r.read_text();
    if (eof_ends_loop && r.at_end()) return loop_step::end;
  }
  r.begin_record();
  return handle(riga) ? loop_step::next : loop_step::end;
}

}  // namespace

void records_loop(record_reader& r, std::string& riga, int dash_repeats,
                  bool eof_ends_loop,
                  const std::function<bool(std::string& riga)>& handle,
                  const std::function<bool(const run_time_failure&)>& recover) {
  while (!r.at_end()) {
    if (!recover) {
      if (one_record(r, riga, dash_repeats, eof_ends_loop, handle) ==
          loop_step::end) {
        return;
      }
      continue;
    }
    try {
      if (one_record(r, riga, dash_repeats, eof_ends_loop, handle) ==
          loop_step::end) {
        return;
      }
    } catch (const run_time_failure& e) {
      if (!recover(e)) throw;
      r.skip_past_line(r.last_field().line);
    }
  }
}

}  // namespace scenario
