#include "checking/check.h"

#include <algorithm>
#include <tuple>

#include "checking/timetable_warnings.h"
#include "model/error_codes.h"
#include "pipeline/compile.h"
#include "sources/source_names.h"

namespace scenario {
namespace {

finding error_finding(const diagnostic& d) {
  finding f;
  f.is_error = true;
  f.code = d.codice;
  const diagnostic_description about = describe(d);
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

}  // namespace

check_result check_descriptions(const description_text& linea,
                                const description_text& treno,
                                const warning_options& options,
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
  for (const diagnostic& d : m.diagnostics) {
    r.findings.push_back(error_finding(d));
  }
  for (raised_warning& w : run_warnings(collector.records(), m, options)) {
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

  // File order: the line description, the train description, then what
  // belongs to neither; within a file, by line and column.
  auto rank = [&](const finding& f) {
    const int file = f.file.empty()         ? 2
                     : f.file == linea.file ? 0
                     : f.file == treno.file ? 1
                                            : 2;
    return std::tuple{file, f.at.line, f.at.column};
  };
  std::stable_sort(
      r.findings.begin(), r.findings.end(),
      [&](const finding& a, const finding& b) { return rank(a) < rank(b); });
  if (outputs.records != nullptr) *outputs.records = collector.records();
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
