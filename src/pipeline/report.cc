#include "pipeline/report.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "model/error_codes.h"
#include "model/kilometres.h"
#include "model/text_8bit.h"

namespace scenario {

namespace {

constexpr char bold[] = "\033[1m";
constexpr char red[] = "\033[1;31m";
constexpr char magenta[] = "\033[1;35m";
constexpr char green[] = "\033[1;32m";
constexpr char plain[] = "\033[0m";

// The gutter of the source lines: the line number right-aligned in at least
// five columns (an empty number for the caret's line), then " | ".
std::string gutter(int line, const std::string& number) {
  const size_t width = std::max<size_t>(5, std::to_string(line).size());
  return std::string(width - number.size(), ' ') + number + " | ";
}

// The caret under the field: the source's tabs are kept before it so that
// it lines up whatever the tab width. Each byte of the 8-bit line shows as
// one character, so one pad per byte lines the caret up under the character.
std::string caret_line(const source_span& at) {
  std::string pad;
  const size_t before = static_cast<size_t>(std::max(at.column - 1, 0));
  for (size_t i = 0; i < before; ++i) {
    pad += i < at.text.size() && at.text[i] == '\t' ? '\t' : ' ';
  }
  std::string caret = "^";
  if (at.length > 1) caret.append(static_cast<size_t>(at.length - 1), '~');
  return pad + caret;
}

}  // namespace

std::string format_diagnostic(const diagnostic& d, bool file_name_only,
                              const translator& tr) {
  std::string s;
  if (!d.file.empty()) {
    s += file_name_only ? std::filesystem::path(d.file).filename().string()
                        : d.file;
    if (d.line > 0) s += ":" + std::to_string(d.line);
    s += ": ";
  }
  const diagnostic_description about = describe(d, tr);
  s += about.label + ": " + windows1252_to_printable(about.text());
  if (about.position_m) {
    s += tr.format(" (position %s m)", *about.position_m);
  }
  return s;
}

void report_diagnostics(const scenario_model& m, std::ostream& err,
                        bool file_name_only, const translator& tr) {
  for (const diagnostic& d : m.diagnostics) {
    err << format_diagnostic(d, file_name_only, tr) << '\n';
  }
  err.flush();
}

std::string position_note(std::optional<int32_t> metres, const translator& tr) {
  if (!metres) return {};
  return utf8_to_windows1252(
      tr.format(" (position %s, %s m)", format_km(*metres), *metres), nullptr);
}

located_message diagnostic_message(const diagnostic& d, const translator& tr) {
  located_message msg;
  msg.file = d.file;
  msg.at = {d.line, d.column, d.length, d.source_line};
  const diagnostic_description about = describe(d, tr);
  msg.label = about.label;
  msg.text = about.text() + position_note(about.position_m, tr);
  return msg;
}

std::string render_message(const located_message& msg, bool colour) {
  std::string s;
  append_message(s, msg, colour);
  return s;
}

void append_message(std::string& s, const located_message& msg, bool colour) {
  if (!msg.file.empty()) {
    if (colour) s += bold;
    s += msg.file;
    if (msg.at.line > 0) {
      s += ':';
      s += std::to_string(msg.at.line);
    }
    if (msg.at.line > 0 && msg.at.column > 0) {
      s += ':';
      s += std::to_string(msg.at.column);
    }
    s += ':';
    if (colour) s += plain;
    s += ' ';
  }
  if (colour) s += msg.is_error ? red : magenta;
  s += msg.label;
  s += ':';
  if (colour) s += plain;
  s += ' ';
  append_printable(s, msg.text);
  s += '\n';
  if (msg.at.line > 0 && msg.at.column > 0) {
    const int n = msg.at.line;
    s += gutter(n, std::to_string(n));
    append_printable(s, msg.at.text);
    s += '\n';
    s += gutter(n, "");
    if (colour) s += green;
    s += caret_line(msg.at);
    if (colour) s += plain;
    s += '\n';
  }
}

void report_diagnostics_with_source(const scenario_model& m, std::ostream& err,
                                    bool colour, const translator& tr) {
  for (const diagnostic& d : m.diagnostics) {
    err << render_message(diagnostic_message(d, tr), colour);
  }
  err.flush();
}

bool use_colour() {
  const char* no_color = std::getenv("NO_COLOR");
  if (no_color != nullptr && no_color[0] != '\0') return false;
  return isatty(STDERR_FILENO) != 0;
}

}  // namespace scenario
