// The keep-going check of a line and train pair: it never throws, counts
// what it lists, lists it in file order, points every finding at a line
// that exists and shows that line as it is, names only known codes and
// warnings, and finds at least the first code the strict compilation
// records.

#include <string>
#include <tuple>

#include "checking/check.h"
#include "fuzz/targets.h"
#include "run/error_codes.h"
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

}  // namespace

std::string check_target(std::string_view input) {
  const split_input parts = split_at_nul(input);
  const description_text linea{line_file, std::string(parts.first), {}};
  description_text treno{train_file, std::nullopt, "cannot open the file"};
  if (parts.second) treno.text = std::string(*parts.second);

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
