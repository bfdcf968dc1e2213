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
#include "model/text_8bit.h"
#include "run/error_codes.h"
#include "run/report.h"
#include "run/run.h"

namespace scenario::fuzz {
namespace {

constexpr char line_file[] = "line.txt";
constexpr char train_file[] = "train.txt";

bool is_known_warning(std::string_view name) {
  for (const warning_info& w : all_warnings()) {
    if (w.name == name) return true;
  }
  return false;
}

std::string check_finding(const finding& f, const description_text& linea,
                          const description_text& treno) {
  const std::string what = f.is_error && f.warning.empty()
                               ? "error " + std::to_string(f.code)
                               : "warning \"" + f.warning + "\"";
  if (f.warning.empty()) {
    if (!f.is_error) return "a warning without a name";
    if (error_meaning(f.code) == error_meaning(-1)) {
      return what + " has no meaning";
    }
  } else if (!is_known_warning(f.warning)) {
    return what + " is no known warning";
  }
  if (f.message.empty()) return what + " without a message";
  const description_text* in = nullptr;
  if (f.file == linea.file) {
    in = &linea;
  } else if (f.file == treno.file) {
    in = &treno;
  } else if (!f.file.empty()) {
    return what + " names the file \"" + f.file + "\"";
  }
  if (f.at.line == 0) return {};
  if (in == nullptr || !in->text) return what + " has a line in no text";
  const std::string_view text = *in->text;
  if (f.at.line < 0 || f.at.line > count_lines(text)) {
    return what + " at line " + std::to_string(f.at.line) + " of " +
           std::to_string(count_lines(text));
  }
  if (f.at.text != line_of(text, f.at.line)) {
    return what + " shows line " + std::to_string(f.at.line) + " as \"" +
           f.at.text + "\"";
  }
  if (f.at.column < 1 || f.at.column > static_cast<int>(f.at.text.size()) + 1) {
    return what + " at column " + std::to_string(f.at.column) +
           " of a line of " + std::to_string(f.at.text.size()) + " bytes";
  }
  return {};
}

using nlohmann::json;

// The line of `in` that a format names, checked against the input: it
// exists, the column lies on it (counted in characters of the decoded line,
// which the log says are code points) and the quoted source is that line.
std::string check_place(std::string_view format, const description_text* in,
                        const json& line, const json& column,
                        const json& source) {
  const std::string what = std::string(format) + " finding";
  if (line.is_null()) return {};
  if (in == nullptr || !in->text) return what + " has a line in no text";
  if (!line.is_number_integer() || !column.is_number_integer()) {
    return what + " has a line or column that is no whole number";
  }
  const std::string_view text = *in->text;
  const int n = line.get<int>();
  if (n < 1 || n > count_lines(text)) {
    return what + " at line " + std::to_string(n) + " of " +
           std::to_string(count_lines(text));
  }
  const std::string decoded = windows1252_to_utf8(line_of(text, n));
  const int c = column.get<int>();
  if (c < 1 || c > utf8_characters(decoded) + 1) {
    return what + " at column " + std::to_string(c) + " of a line of " +
           std::to_string(utf8_characters(decoded)) + " characters";
  }
  if (!source.is_string() || source.get<std::string>() != decoded) {
    return what + " quotes line " + std::to_string(n) + " as other text";
  }
  return {};
}

const description_text* text_named(const json& file,
                                   const description_text& linea,
                                   const description_text& treno) {
  if (file == linea.file) return &linea;
  if (file == treno.file) return &treno;
  return nullptr;
}

std::string check_json(const check_result& r, const description_text& linea,
                       const description_text& treno) {
  const json j = json::parse(format_json(r));
  const json& findings = j.at("findings");
  if (findings.size() != r.findings.size() || j.at("errors") != r.errors ||
      j.at("warnings") != r.warnings) {
    return "the JSON holds other findings than the check";
  }
  for (const json& f : findings) {
    if (!f.at("file").is_null() && !text_named(f.at("file"), linea, treno)) {
      return "a JSON finding names another file";
    }
    std::string broken =
        check_place("JSON", text_named(f.at("file"), linea, treno),
                    f.at("line"), f.at("column"), f.at("source"));
    if (!broken.empty()) return broken;
  }
  return {};
}

std::string check_sarif(const check_result& r, const description_text& linea,
                        const description_text& treno) {
  const json log = json::parse(format_sarif(r));
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
    const description_text* in = text_named(uri, linea, treno);
    if (in == nullptr) return "a SARIF result names another file";
    if (!physical.contains("region")) continue;
    const json& region = physical.at("region");
    if (!region.contains("startColumn")) continue;
    std::string broken =
        check_place("SARIF", in, region.at("startLine"),
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
std::string check_caret(const finding& f) {
  if (f.at.line <= 0 || f.at.column <= 0) return {};
  located_message msg;
  msg.file = f.file;
  msg.at = f.at;
  msg.label = "error";
  msg.text = f.message;
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

std::string check_formats(const check_result& r, const description_text& linea,
                          const description_text& treno) {
  const std::string text = format_text(r, false);
  if (!is_valid_utf8(text)) return "the text output is not UTF-8";
  for (const finding& f : r.findings) {
    if (std::string broken = check_caret(f); !broken.empty()) return broken;
  }
  try {
    if (std::string broken = check_json(r, linea, treno); !broken.empty()) {
      return broken;
    }
    return check_sarif(r, linea, treno);
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

  const check_result r = check_descriptions(linea, treno, {});
  int errors = 0;
  for (const finding& f : r.findings) {
    if (f.is_error) ++errors;
    if (std::string broken = check_finding(f, linea, treno); !broken.empty()) {
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

  if (std::string broken = check_formats(r, linea, treno); !broken.empty()) {
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
