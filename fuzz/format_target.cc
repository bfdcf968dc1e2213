// Formatting a line and train pair: each file changes in blanks only (every
// newline, comma, quote and 8-bit byte stays), formatting again changes
// nothing, and the formatted pair compiles to the same cells, entries, plan,
// codes, positions and lines as the pair as written.

#include <string>

#include "compiler/compiler.h"
#include "compiler/record_reader.h"
#include "editing/formatter.h"
#include "fuzz/model_diff.h"
#include "fuzz/targets.h"
#include "model/model.h"
#include "shell/run.h"

namespace scenario::fuzz {
namespace {

std::string without_blanks(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c != ' ' && c != '\t') out += c;
  }
  return out;
}

// `f` is `text` formatted.
std::string check_format(std::string_view text, const std::string& f,
                         const char* which) {
  if (without_blanks(f) != without_blanks(text)) {
    return std::string(which) + ": formatting changed more than blanks";
  }
  if (editing::format_description(f) != f) {
    return std::string(which) + ": formatting twice changed the text again";
  }
  return {};
}

scenario_model compiled(std::string_view linea,
                        const std::optional<std::string_view>& treno) {
  scenario_model m;
  m.percorso = build_percorso;
  m.treno = build_treno;
  description_text t{"train.txt", std::nullopt, "cannot open the file"};
  if (treno) t.text = std::string(*treno);
  compile_in_memory(m, 1, {"line.txt", std::string(linea), {}}, t);
  return m;
}

std::string diff_codes(const scenario_model& a, const scenario_model& b) {
  if (a.codice_errore != b.codice_errore ||
      a.posizione_errore != b.posizione_errore) {
    return "code " + std::to_string(a.codice_errore) + " at " +
           std::to_string(a.posizione_errore) + " became " +
           std::to_string(b.codice_errore) + " at " +
           std::to_string(b.posizione_errore);
  }
  if (a.diagnostics.size() != b.diagnostics.size()) {
    return std::to_string(a.diagnostics.size()) + " diagnostics became " +
           std::to_string(b.diagnostics.size());
  }
  for (size_t i = 0; i < a.diagnostics.size(); ++i) {
    const diagnostic& x = a.diagnostics[i];
    const diagnostic& y = b.diagnostics[i];
    if (x.codice != y.codice || x.posizione != y.posizione ||
        x.file != y.file || x.line != y.line || x.detail != y.detail) {
      return "diagnostic " + std::to_string(i) + " (code " +
             std::to_string(x.codice) + ", line " + std::to_string(x.line) +
             ") changed";
    }
  }
  return {};
}

// The formatter reads a text that gives a line length as a line description
// and any other as a train description. A file formatted as the other kind
// is laid out for that kind's records (blanks inside a field of a record
// the other kind does not read may collapse), so it only has to change
// blanks and settle; the pair is compiled with it as written.
bool gives_line_length(std::string_view text) {
  const text_lines lines(text);
  for (int n = 1; n <= lines.count(); ++n) {
    const std::string_view line = lines.line(n);
    const std::string_view key = line.substr(0, line.find(','));
    if (contains_nocase(key, "lunghezza") && contains_nocase(key, "percorso")) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string format_target(std::string_view input) {
  const split_input input_parts = split_at_nul(input);
  // Lengths clamped as for compiling: the pair is compiled twice.
  const std::string line_text = clamp_line_lengths(input_parts.first);
  std::optional<std::string> train_text;
  if (input_parts.second) train_text = clamp_line_lengths(*input_parts.second);
  const split_input parts{line_text, train_text};
  const std::string linea = editing::format_description(parts.first);
  if (std::string broken = check_format(parts.first, linea, "line");
      !broken.empty()) {
    return broken;
  }
  std::optional<std::string> treno;
  if (parts.second) {
    treno = editing::format_description(*parts.second);
    if (std::string broken = check_format(*parts.second, *treno, "train");
        !broken.empty()) {
      return broken;
    }
  }

  const std::string_view line_after =
      gives_line_length(parts.first) ? std::string_view(linea) : parts.first;
  std::optional<std::string_view> train_after = parts.second;
  if (treno && !gives_line_length(*parts.second)) train_after = *treno;
  const scenario_model before = compiled(parts.first, parts.second);
  const scenario_model after = compiled(line_after, train_after);
  for (const std::string& broken :
       {diff_codes(before, after), diff_cells(before.celle, after.celle),
        diff_entries(before.voci, after.voci),
        diff_plan(before.tracciato, after.tracciato)}) {
    if (!broken.empty()) return "once formatted: " + broken;
  }
  return {};
}

}  // namespace scenario::fuzz
