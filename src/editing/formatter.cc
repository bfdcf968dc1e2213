#include "editing/formatter.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/compiler.h"
#include "compiler/policy.h"
#include "compiler/record_reader.h"
#include "model/model.h"
#include "model/translation.h"

namespace scenario::editing {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

char fold_case(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Offset just past the line end that starts at `p`: CR LF is one line end,
// as are a bare LF and a lone CR.
size_t past_line_end(std::string_view t, size_t p) {
  return (t[p] == '\r' && p + 1 < t.size() && t[p + 1] == '\n') ? p + 2 : p + 1;
}

// One comma-separated cell of a line: its core runs from its first to just
// past its last non-blank byte (empty for a cell of blanks only).
struct cell {
  size_t begin = 0;
  size_t end = 0;
};

// One line of the text: its bytes [start, end), its line end [end, next),
// its cells, and whether a quoted text spanning lines touches it (such a
// line is left as written).
struct text_line {
  size_t start = 0;
  size_t end = 0;
  size_t next = 0;
  std::vector<cell> cells;
  bool in_quote = false;
};

// Splits the text into lines and cells the way the reader sees its fields:
// a comma or a line end ends a field, and a double quote opening a field (or
// a blank-separated token within one) starts a quoted text that runs to the
// next double quote, commas and line ends included.
class lexer {
 public:
  explicit lexer(std::string_view t) : t_(t) {}

  std::vector<text_line> lines() {
    size_t p = 0;
    for (;;) {
      p = read_cell(p);
      if (p >= t_.size()) {
        end_line(t_.size(), t_.size());
        break;
      }
      if (t_[p] == ',') {
        ++p;
        continue;
      }
      const size_t next = past_line_end(t_, p);
      end_line(p, next);
      p = next;
      if (p >= t_.size()) break;  // the text ends with a line end
    }
    return std::move(lines_);
  }

 private:
  // Reads one cell from `p`; returns where it stopped (a comma, a line end
  // or the end of the text).
  size_t read_cell(size_t p) {
    while (p < t_.size() && is_blank(t_[p])) ++p;
    cell c{p, p};
    bool token_start = true;
    while (p < t_.size() && t_[p] != ',' && !is_line_end(t_[p])) {
      if (t_[p] == '"' && token_start) {
        p = skip_quoted(p);
        c.end = p;
        token_start = false;
        continue;
      }
      token_start = is_blank(t_[p]);
      if (!token_start) c.end = p + 1;
      ++p;
    }
    current_.cells.push_back(c);
    return p;
  }

  // From the opening quote at `p` to just past its closing quote (or the
  // end of the text when there is none). Lines crossed are ended here.
  size_t skip_quoted(size_t p) {
    ++p;
    while (p < t_.size() && t_[p] != '"') {
      if (is_line_end(t_[p])) {
        current_.in_quote = true;
        const size_t next = past_line_end(t_, p);
        end_line(p, next);
        current_.in_quote = true;
        p = next;
      } else {
        ++p;
      }
    }
    if (p >= t_.size()) {
      current_.in_quote = true;  // no closing quote: the rest stays as is
      return p;
    }
    return p + 1;
  }

  void end_line(size_t end, size_t next) {
    current_.end = end;
    current_.next = next;
    lines_.push_back(std::move(current_));
    current_ = text_line{};
    current_.start = next;
  }

  std::string_view t_;
  text_line current_;
  std::vector<text_line> lines_;
};

// What the reader made of the text: where each field it read starts, the
// record kind of each line holding a record's key, and the lines of the
// records it rejected.
struct reading {
  std::vector<bool> field_start;    // by byte offset
  std::vector<bool> text_start;     // by byte offset: a text field starts
  std::vector<int> kind_of_line;    // by 1-based line; 0 when none
  std::vector<bool> rejected_line;  // by 1-based line
};

class reading_observer : public record_observer {
 public:
  reading_observer(reading& r, description in) : r_(r), in_(in) {}

  void on_record(const record_event& e) override {
    if (e.in != in_) return;
    mark_field(e.key_at);
    if (e.key_at.line > 0 &&
        static_cast<size_t>(e.key_at.line) < r_.kind_of_line.size()) {
      r_.kind_of_line[e.key_at.line] = static_cast<int>(e.kind) + 1;
      if (!e.accepted) r_.rejected_line[e.key_at.line] = true;
    }
    for (const read_field& f : e.fields) {
      mark_field(f.at);
      if (f.is_text && f.at.offset < r_.text_start.size()) {
        r_.text_start[f.at.offset] = true;
      }
    }
  }

 private:
  void mark_field(const field_place& at) {
    if (at.line > 0 && at.offset < r_.field_start.size()) {
      r_.field_start[at.offset] = true;
    }
  }

  reading& r_;
  description in_;
};

std::string_view core_of(std::string_view t, const cell& c) {
  return t.substr(c.begin, c.end - c.begin);
}

// A line description is the one that gives the line its length; any other
// description is read as a train description.
bool is_line_description(std::string_view t,
                         const std::vector<text_line>& lines) {
  for (const text_line& l : lines) {
    if (l.cells.empty()) continue;
    const std::string_view key = core_of(t, l.cells.front());
    if (contains_nocase(key, "lunghezza") && contains_nocase(key, "percorso")) {
      return true;
    }
  }
  return false;
}

// A train description is read after a line that gives it room everywhere,
// so that no record of it fails for want of cells. No record reaches past
// the sum of two of its numbers, so twice the largest number the text
// holds is room enough (within the longest line), and a short train is not
// read against a thousand kilometres of cells.
std::string roomy_line(std::string_view train) {
  int64_t largest = 0;
  for (size_t i = 0; i < train.size();) {
    if (!is_digit(train[i])) {
      ++i;
      continue;
    }
    int64_t n = 0;
    for (; i < train.size() && is_digit(train[i]); ++i) {
      n = std::min<int64_t>(n * 10 + (train[i] - '0'), max_line_length_m);
    }
    largest = std::max(largest, n);
  }
  const int64_t length =
      std::min<int64_t>(2 * largest + cell_length_m, max_line_length_m);
  return "[generale]\nlunghezza percorso, " + std::to_string(length) +
         "\n[fine]\n";
}

// Compiles the text the way the checker does (keeping going past rejected
// records), watching every record read.
reading read_fields(std::string_view t, const std::vector<text_line>& lines) {
  reading r;
  r.field_start.assign(t.size() + 1, false);
  r.text_start.assign(t.size() + 1, false);
  r.kind_of_line.assign(lines.size() + 2, 0);
  r.rejected_line.assign(lines.size() + 2, false);

  const bool is_line = is_line_description(t, lines);
  const std::string own_name = "description";
  const description_text own{own_name, std::string(t), {}};
  const description_text partner{
      "partner",
      is_line ? std::nullopt : std::optional<std::string>(roomy_line(t)),
      "none"};
  reading_observer observer(r,
                            is_line ? description::line : description::train);
  scenario_model m;
  // With the plan, as the build and `scenario compile` read a line: curves
  // are records only then.
  reset(m, is_line ? 1 : 0);
  compile_descriptions(m, is_line ? own : partner, is_line ? partner : own,
                       {.keep_going = true, .observer = &observer});
  for (const diagnostic& d : m.diagnostics) {
    if (d.file == own_name && d.line > 0 &&
        static_cast<size_t>(d.line) < r.rejected_line.size()) {
      r.rejected_line[d.line] = true;
    }
  }
  return r;
}

// Numbers (and empty fields) are right-aligned: blank-separated tokens of
// an optional sign and digits.
bool is_numeric(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] == '+' || s[i] == '-') ++i;
    const size_t digits = i;
    while (i < s.size() && is_digit(s[i])) ++i;
    if (i == digits) return false;
    if (i < s.size() && !is_blank(s[i])) return false;
    while (i < s.size() && is_blank(s[i])) ++i;
  }
  return true;
}

// Whether the reader read a text field from within the cell (a name may
// follow the last number of a record after blanks only).
bool holds_text(const cell& c, const reading& r) {
  for (size_t p = c.begin; p < c.end; ++p) {
    if (r.text_start[p]) return true;
  }
  return false;
}

// A cell's text as laid out: its core, where a blank run that delimits two
// numbers becomes one blank; every other byte stays. A run delimits numbers
// when the reader started a field right after it, or when the cell holds
// numbers only and no text field was read from it: blanks and digits are
// then either numbers or a text that no record keeps (a key matching
// nothing), whose blanks change nothing.
std::string render_core(std::string_view t, const cell& c, const reading& r) {
  const bool numbers_only = is_numeric(core_of(t, c)) && !holds_text(c, r);
  std::string out;
  out.reserve(c.end - c.begin);
  size_t p = c.begin;
  while (p < c.end) {
    if (!is_blank(t[p])) {
      out += t[p++];
      continue;
    }
    const size_t run = p;
    while (p < c.end && is_blank(t[p])) ++p;
    if (numbers_only || r.field_start[p]) {
      out += ' ';
    } else {
      out.append(t.substr(run, p - run));
    }
  }
  return out;
}

enum class line_role { blank, as_written, header, record };

line_role role_of(std::string_view t, const text_line& l, size_t line_number,
                  const reading& r) {
  if (l.in_quote || r.rejected_line[line_number]) return line_role::as_written;
  const std::string_view key = core_of(t, l.cells.front());
  if (l.cells.size() == 1 && key.empty()) return line_role::blank;
  // A dash comment stays exactly as its author wrote it.
  if (key.find('-') != std::string_view::npos) return line_role::as_written;
  if (!key.empty() && key.front() == '[') return line_role::header;
  return line_role::record;
}

// The records of one run share a kind: the one the compiler read them as,
// or for keys it did not take as records, the key's first word; and the
// same number of fields.
std::string kind_of(std::string_view t, const text_line& l, size_t line_number,
                    const reading& r) {
  std::string kind(1, static_cast<char>(r.kind_of_line[line_number]));
  kind += static_cast<char>(std::min<size_t>(l.cells.size(), 255));
  if (r.kind_of_line[line_number] != 0) return kind;
  const std::string_view key = core_of(t, l.cells.front());
  for (char c : key) {
    if (is_blank(c)) break;
    kind += fold_case(c);
  }
  return kind;
}

struct rendered_line {
  std::vector<std::string> cells;
  std::vector<bool> numeric;
};

rendered_line render_line(std::string_view t, const text_line& l,
                          const reading& r) {
  rendered_line out;
  out.cells.reserve(l.cells.size());
  out.numeric.reserve(l.cells.size());
  for (const cell& c : l.cells) {
    out.cells.push_back(render_core(t, c, r));
    out.numeric.push_back(is_numeric(out.cells.back()));
  }
  return out;
}

void append_blanks(std::string& out, size_t n) { out.append(n, ' '); }

// Lays out a run of records in columns: the key and its comma, then each
// field after one blank, numbers right-aligned and texts left-aligned in the
// width of the widest field of their column.
void lay_out_run(const std::vector<rendered_line>& run,
                 std::vector<std::string>& out) {
  std::vector<size_t> width;
  for (const rendered_line& l : run) {
    width.resize(std::max(width.size(), l.cells.size()), 0);
    for (size_t j = 0; j < l.cells.size(); ++j) {
      width[j] = std::max(width[j], l.cells[j].size());
    }
  }
  for (const rendered_line& l : run) {
    std::string s = l.cells[0];
    const size_t n = l.cells.size();
    if (n > 1) {
      s += ',';
      append_blanks(s, width[0] - l.cells[0].size());
    }
    for (size_t j = 1; j < n; ++j) {
      const std::string& c = l.cells[j];
      const size_t pad = width[j] - c.size();
      s += ' ';
      if (l.numeric[j]) {
        append_blanks(s, pad);
        s += c;
      } else {
        s += c;
        if (j + 1 < n) append_blanks(s, pad);
      }
      if (j + 1 < n) s += ',';
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    out.push_back(std::move(s));
  }
}

}  // namespace

std::string format_description(std::string_view text) {
  const std::vector<text_line> lines = lexer(text).lines();
  const reading r = read_fields(text, lines);

  std::vector<std::string> laid(lines.size());
  std::vector<rendered_line> run;
  std::vector<std::string> run_out;
  size_t run_first = 0;
  std::string run_kind;
  auto flush_run = [&] {
    run_out.clear();
    lay_out_run(run, run_out);
    for (size_t k = 0; k < run_out.size(); ++k) {
      laid[run_first + k] = std::move(run_out[k]);
    }
    run.clear();
  };

  for (size_t i = 0; i < lines.size(); ++i) {
    const text_line& l = lines[i];
    const line_role role = role_of(text, l, i + 1, r);
    std::string kind;
    if (role == line_role::record) kind = kind_of(text, l, i + 1, r);
    if (!run.empty() && (role != line_role::record || kind != run_kind)) {
      flush_run();
    }
    switch (role) {
      case line_role::blank:
        break;
      case line_role::as_written:
        laid[i] = std::string(text.substr(l.start, l.end - l.start));
        break;
      case line_role::header:
        run_first = i;
        run.push_back(render_line(text, l, r));
        flush_run();
        break;
      case line_role::record:
        if (run.empty()) {
          run_first = i;
          run_kind = kind;
        }
        run.push_back(render_line(text, l, r));
        break;
    }
  }
  if (!run.empty()) flush_run();

  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (size_t i = 0; i < lines.size(); ++i) {
    // Between a lone CR and an LF an emptied line would join the two line
    // ends into one CR LF: one blank keeps them apart.
    if (laid[i].empty() && i > 0 && lines[i].next > lines[i].end &&
        text[lines[i].end] == '\n' &&
        lines[i - 1].next - lines[i - 1].end == 1 &&
        text[lines[i - 1].end] == '\r') {
      laid[i] = " ";
    }
    out += laid[i];
    out.append(text.substr(lines[i].end, lines[i].next - lines[i].end));
  }
  return out;
}

std::string description_problem(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) {
    return N_("holds a NUL byte: not a text description");
  }
  const std::vector<text_line> lines = lexer(text).lines();
  for (const text_line& l : lines) {
    if (l.in_quote) continue;
    std::string_view key = core_of(text, l.cells.front());
    while (!key.empty() && (key.front() == ' ' || key.front() == '\t')) {
      key.remove_prefix(1);
    }
    // The key opens the line: "[generale]" quoted within prose is no head.
    constexpr std::string_view head = "[generale]";
    if (key.size() >= head.size() &&
        contains_nocase(key.substr(0, head.size()), head)) {
      return {};
    }
  }
  return N_(
      "no line opens with \"[generale]\", where a description's records "
      "begin");
}

}  // namespace scenario::editing
