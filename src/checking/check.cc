#include "checking/check.h"

#include <algorithm>
#include <compare>

#include "checking/timetable_warnings.h"
#include "model/error_codes.h"
#include "pipeline/compile.h"
#include "sources/source_names.h"

namespace scenario {
namespace {

finding error_finding(const diagnostic& d, const translator& tr) {
  finding f;
  f.is_error = true;
  f.code = d.codice;
  const diagnostic_description about = describe(d, tr);
  f.message = about.text();
  if (about.position_m) f.position_m = *about.position_m;
  f.file = d.file;
  f.at = {d.line, d.column, d.length, d.source_line};
  return f;
}

const description_text& text_of(description in, const description_text& linea,
                                const description_text& treno) {
  return in == description::line ? linea : treno;
}

// File order: the line description, the train description, then what
// belongs to neither; within a file, by line and column, the order found
// kept among equals. The order is found on small keys and then applied in
// place, so that sorting needs no second copy of the findings.
void sort_in_file_order(std::vector<finding>& findings,
                        const std::string& line_file,
                        const std::string& train_file) {
  struct key {
    int file;
    int line;
    int column;
    size_t index;
    auto operator<=>(const key&) const = default;
  };
  std::vector<key> keys;
  keys.reserve(findings.size());
  for (size_t i = 0; i < findings.size(); ++i) {
    const finding& f = findings[i];
    const int file = f.file.empty()         ? 2
                     : f.file == line_file  ? 0
                     : f.file == train_file ? 1
                                            : 2;
    keys.push_back({file, f.at.line, f.at.column, i});
  }
  if (std::is_sorted(keys.begin(), keys.end())) return;
  std::sort(keys.begin(), keys.end());
  // Each cycle of the permutation is followed once.
  std::vector<bool> placed(findings.size(), false);
  for (size_t start = 0; start < findings.size(); ++start) {
    if (placed[start] || keys[start].index == start) continue;
    finding held = std::move(findings[start]);
    size_t at = start;
    while (keys[at].index != start) {
      findings[at] = std::move(findings[keys[at].index]);
      placed[at] = true;
      at = keys[at].index;
    }
    findings[at] = std::move(held);
    placed[at] = true;
  }
}

}  // namespace

check_result check_descriptions(const description_text& linea,
                                const description_text& treno,
                                const warning_options& options,
                                const translator& tr,
                                const check_outputs& outputs) {
  record_collector collector;
  scenario_model own;
  own.percorso = build_percorso;
  own.treno = build_treno;
  scenario_model& m = outputs.compiled != nullptr ? *outputs.compiled : own;
  compile_in_memory(m, 1, linea, treno,
                    {.keep_going = true, .observer = &collector});

  if (outputs.curves != nullptr) {
    *outputs.curves = curve_stretches(collector.records());
  }

  check_result r;
  {
    std::vector<raised_warning> raised =
        run_warnings(collector.records(), m, options, tr);
    // Exactly as many as there are: a file with a finding on every line
    // holds no spare room for as many again.
    r.findings.reserve(m.diagnostics.size() + raised.size());
    for (const diagnostic& d : m.diagnostics) {
      r.findings.push_back(error_finding(d, tr));
    }
    for (raised_warning& w : raised) {
      const description_text& d = text_of(w.in, linea, treno);
      finding f;
      f.is_error = options.warnings_as_errors;
      f.warning = std::move(w.name);
      f.message = std::move(w.message);
      f.position_m = w.position_m;
      f.file = d.file;
      if (d.text) f.at = span_at(*d.text, w.at);
      r.findings.push_back(std::move(f));
    }
  }
  sort_in_file_order(r.findings, linea.file, treno.file);
  if (outputs.records != nullptr) *outputs.records = collector.take_records();
  for (const finding& f : r.findings) {
    if (f.is_error) {
      ++r.errors;
    } else {
      ++r.warnings;
    }
  }
  return r;
}

int check_status(const check_result& r) { return r.errors > 0 ? 1 : 0; }

}  // namespace scenario
