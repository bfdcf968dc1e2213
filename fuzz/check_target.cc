// The keep-going check of a line and train pair: it never throws, counts
// what it lists, lists it in file order, points every finding at a line
// that exists and shows that line as it is, names only known codes and
// warnings, and finds at least the first code the strict compilation
// records. Its three formats hold the same findings: the text is UTF-8 with
// each caret under its character, the JSON and the SARIF parse back, and
// every line and column they give exists in the input.

#include <nlohmann/json.hpp>
#include <string>
#include <tuple>

#include "checking/check.h"
#include "checking/formats.h"
#include "fuzz/targets.h"
#include "model/error_codes.h"
#include "model/text_8bit.h"
#include "pipeline/report.h"
#include "shell/run.h"

namespace scenario::fuzz {
namespace {

constexpr char line_file[] = "line.txt";
constexpr char train_file[] = "train.txt";

// A description of the input with its lines split once.
struct source {
  const description_text& text;
  text_lines lines;

  explicit source(const description_text& d)
      : text(d), lines(d.text ? std::string_view(*d.text) : "") {}
};

// The two descriptions of an input.
struct sources {
  source linea;
  source treno;

  // The description a finding names, or none.
  template <typename Name>
  const source* named(const Name& file) const {
    if (file == linea.text.file) return &linea;
    if (file == treno.text.file) return &treno;
    return nullptr;
  }
};

bool is_known_warning(std::string_view name) {
  for (const warning_info& w : all_warnings()) {
    if (w.name == name) return true;
  }
  return false;
}

std::string check_finding(const check_result& r, const finding& f,
                          const sources& in) {
  const std::string what = f.is_error && f.warning.empty()
                               ? "error " + std::to_string(f.code)
                               : "warning \"" + std::string(f.warning) + "\"";
  if (f.warning.empty()) {
    if (!f.is_error) return "a warning without a name";
    if (error_meaning(f.code) == error_meaning(-1)) {
      return what + " has no meaning";
    }
  } else if (!is_known_warning(f.warning)) {
    return what + " is no known warning";
  }
  if (f.message(translator()).empty()) return what + " without a message";
  const source* from = in.named(f.file);
  if (from == nullptr && !f.file.empty()) {
    return what + " names the file \"" + f.file.str() + "\"";
  }
  if (f.at.line == 0) return {};
  if (from == nullptr || !from->text.text) {
    return what + " has a line in no text";
  }
  const int lines = from->lines.count();
  if (f.at.line < 0 || f.at.line > lines) {
    return what + " at line " + std::to_string(f.at.line) + " of " +
           std::to_string(lines);
  }
  const std::string_view shown = r.source_of(f);
  if (shown != from->lines.line(f.at.line)) {
    return what + " shows line " + std::to_string(f.at.line) + " as \"" +
           std::string(shown) + "\"";
  }
  if (f.at.column < 1 || f.at.column > static_cast<int>(shown.size()) + 1) {
    return what + " at column " + std::to_string(f.at.column) +
           " of a line of " + std::to_string(shown.size()) + " bytes";
  }
  return {};
}

using nlohmann::json;

// The line of `in` that a format names, checked against the input: it
// exists, the column lies on it (counted in characters of the decoded line,
// which the log says are code points) and the quoted source is that line.
std::string check_place(std::string_view format, const source* in,
                        const json& line, const json& column,
                        const json& quoted) {
  const std::string what = std::string(format) + " finding";
  if (line.is_null()) return {};
  if (in == nullptr || !in->text.text) return what + " has a line in no text";
  if (!line.is_number_integer() || !column.is_number_integer()) {
    return what + " has a line or column that is no whole number";
  }
  const int n = line.get<int>();
  if (n < 1 || n > in->lines.count()) {
    return what + " at line " + std::to_string(n) + " of " +
           std::to_string(in->lines.count());
  }
  const std::string decoded = windows1252_to_utf8(in->lines.line(n));
  const int c = column.get<int>();
  if (c < 1 || c > utf8_characters(decoded) + 1) {
    return what + " at column " + std::to_string(c) + " of a line of " +
           std::to_string(utf8_characters(decoded)) + " characters";
  }
  if (!quoted.is_string() || quoted.get<std::string>() != decoded) {
    return what + " quotes line " + std::to_string(n) + " as other text";
  }
  return {};
}

std::string check_json(const check_result& r, const sources& in) {
  const json j = json::parse(format_json(r, translator()));
  const json& findings = j.at("findings");
  if (findings.size() != r.findings.size() || j.at("errors") != r.errors ||
      j.at("warnings") != r.warnings) {
    return "the JSON holds other findings than the check";
  }
  for (const json& f : findings) {
    const source* from = in.named(f.at("file"));
    if (!f.at("file").is_null() && from == nullptr) {
      return "a JSON finding names another file";
    }
    std::string broken =
        check_place("JSON", from, f.at("line"), f.at("column"), f.at("source"));
    if (!broken.empty()) return broken;
  }
  return {};
}

std::string check_sarif(const check_result& r, const sources& in) {
  const json log = json::parse(format_sarif(r, translator()));
  const json& run = log.at("runs").at(0);
  if (run.at("columnKind") != "unicodeCodePoints") {
    return "the SARIF log counts columns in another way";
  }
  const json& results = run.at("results");
  if (results.size() != r.findings.size()) {
    return "the SARIF log holds other findings than the check";
  }
  for (const json& result : results) {
    if (!result.contains("locations")) continue;
    const json& physical = result.at("locations").at(0).at("physicalLocation");
    const json& uri = physical.at("artifactLocation").at("uri");
    const source* from = in.named(uri);
    if (from == nullptr) return "a SARIF result names another file";
    if (!physical.contains("region")) continue;
    const json& region = physical.at("region");
    if (!region.contains("startColumn")) continue;
    std::string broken =
        check_place("SARIF", from, region.at("startLine"),
                    region.at("startColumn"), region.at("snippet").at("text"));
    if (!broken.empty()) return broken;
    if (region.at("endColumn").get<int>() <=
        region.at("startColumn").get<int>()) {
      return "a SARIF region ends before it starts";
    }
  }
  return {};
}

// The caret of each finding stands under the character of its column, and
// the source line above it reaches that column.
std::string check_caret(const check_result& r, const finding& f) {
  if (f.at.line <= 0 || f.at.column <= 0) return {};
  located_message msg;
  msg.file = f.file.str();
  msg.at = {f.at.line, f.at.column, f.at.length, std::string(r.source_of(f))};
  msg.label = "error";
  msg.text = f.message(translator());
  const std::string shown = render_message(msg, false);
  const size_t source = shown.find('\n') + 1;
  const size_t caret = shown.find('\n', source) + 1;
  const size_t bar = shown.find(" | ", source) + 3;
  const size_t caret_bar = shown.find(" | ", caret) + 3;
  if (bar - source != caret_bar - caret) return "the caret's gutter is off";
  const std::string_view line(shown.data() + bar, caret - 1 - bar);
  const size_t at = shown.find('^', caret_bar);
  if (at == std::string::npos) return "a finding shown without its caret";
  const int before = utf8_characters(
      std::string_view(shown.data() + caret_bar, at - caret_bar));
  if (before != f.at.column - 1 || utf8_characters(line) < before) {
    return "the caret stands under character " + std::to_string(before + 1) +
           " for column " + std::to_string(f.at.column);
  }
  return {};
}

std::string check_formats(const check_result& r, const sources& in) {
  const std::string text = format_text(r, false, translator());
  if (!is_valid_utf8(text)) return "the text output is not UTF-8";
  for (const finding& f : r.findings) {
    if (std::string broken = check_caret(r, f); !broken.empty()) return broken;
  }
  try {
    if (std::string broken = check_json(r, in); !broken.empty()) {
      return broken;
    }
    return check_sarif(r, in);
  } catch (const json::exception& e) {
    return std::string("the JSON or SARIF output does not read back: ") +
           e.what();
  }
}

}  // namespace

std::string check_target(std::string_view input) {
  const split_input parts = split_at_nul(input);
  const description_text linea{line_file, clamp_line_lengths(parts.first), {}};
  description_text treno{train_file, std::nullopt, "cannot open the file"};
  if (parts.second) treno.text = clamp_line_lengths(*parts.second);

  const sources in{source(linea), source(treno)};

  const check_result r = check_descriptions(linea, treno, {}, translator());
  int errors = 0;
  for (const finding& f : r.findings) {
    if (f.is_error) ++errors;
    if (std::string broken = check_finding(r, f, in); !broken.empty()) {
      return broken;
    }
  }
  if (errors != r.errors ||
      static_cast<int>(r.findings.size()) - errors != r.warnings) {
    return "counted " + std::to_string(r.errors) + " errors and " +
           std::to_string(r.warnings) + " warnings of " +
           std::to_string(r.findings.size()) + " findings";
  }
  if (check_status(r) != (errors > 0 ? 1 : 0)) {
    return "status " + std::to_string(check_status(r)) + " with " +
           std::to_string(errors) + " errors";
  }

  auto rank = [&](const finding& f) {
    const int file = f.file == linea.file ? 0 : f.file == treno.file ? 1 : 2;
    return std::tuple{file, f.at.line, f.at.column};
  };
  for (size_t i = 1; i < r.findings.size(); ++i) {
    if (rank(r.findings[i]) < rank(r.findings[i - 1])) {
      return "finding " + std::to_string(i) + " is listed out of file order";
    }
  }

  if (std::string broken = check_formats(r, in); !broken.empty()) {
    return broken;
  }

  // What the strict compilation records first, the check finds too.
  scenario_model strict;
  strict.percorso = build_percorso;
  strict.treno = build_treno;
  compile_in_memory(strict, 1, linea, treno);
  if (!strict.diagnostics.empty()) {
    const diagnostic& first = strict.diagnostics.front();
    bool found = false;
    for (const finding& f : r.findings) {
      found =
          found || (f.is_error && f.warning.empty() && f.code == first.codice &&
                    f.file == first.file && f.at.line == first.line);
    }
    if (!found) {
      return "the check misses code " + std::to_string(first.codice) +
             " at line " + std::to_string(first.line) + " of \"" + first.file +
             "\", the strict compilation's first";
    }
  }
  return {};
}

}  // namespace scenario::fuzz
