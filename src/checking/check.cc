#include "checking/check.h"

#include <algorithm>
#include <compare>

#include "checking/timetable_warnings.h"
#include "model/error_codes.h"
#include "pipeline/compile.h"
#include "sources/source_names.h"

namespace scenario {
namespace {

// The line start of a field, as its span shows it.
size_t line_start_of(const field_place& at, std::string_view text) {
  return std::min(at.offset, text.size()) -
         static_cast<size_t>(std::max(at.column - 1, 0));
}

// The findings' file names are shared: one copy per description.
struct shared_names {
  file_name line;
  file_name train;
  const file_name& of(const std::string& name) {
    if (name == line) return line;
    if (name == train) return train;
    others.emplace_back(name);
    return others.back();
  }
  std::vector<file_name> others;
};

// File order: the line description, the train description, then what
// belongs to neither; within a file, by line and column, the order found
// kept among equals. The order is found on small keys and then applied in
// place, so that sorting needs no second copy of the findings; findings
// found in order already need no keys at all.
void sort_in_file_order(std::vector<finding>& findings,
                        const file_name& line_file,
                        const file_name& train_file) {
  // File, line and column in one number: two bits, then 31 bits each.
  const auto order_of = [&](const finding& f) {
    const uint64_t file = f.file.empty()         ? 2
                          : f.file == line_file  ? 0
                          : f.file == train_file ? 1
                                                 : 2;
    const auto bits = [](int n) {
      return static_cast<uint64_t>(std::max(n, 0)) & 0x7FFFFFFFu;
    };
    return file << 62 | bits(f.at.line) << 31 | bits(f.at.column);
  };
  if (std::is_sorted(findings.begin(), findings.end(),
                     [&](const finding& a, const finding& b) {
                       return order_of(a) < order_of(b);
                     })) {
    return;
  }
  struct key {
    uint64_t order;
    size_t index;
    auto operator<=>(const key&) const = default;
  };
  std::vector<key> keys;
  keys.reserve(findings.size());
  for (size_t i = 0; i < findings.size(); ++i) {
    keys.push_back({order_of(findings[i]), i});
  }
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

check_result check_with_texts(const description_text& linea,
                              const description_text& treno,
                              const warning_options& options,
                              const translator& tr,
                              const check_outputs& outputs, check_result r) {
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

  shared_names names{r.line_file, r.train_file, {}};
  // Room for a finding per record: a file with a finding on every line
  // needs no second, larger copy of them as it grows, and the pages of the
  // room a file with few findings leaves unused are never touched.
  r.findings.reserve(m.diagnostics.size() + collector.records().size());
  // The compiler's diagnostics are moved out of a model nobody else reads.
  const bool own_model = outputs.compiled == nullptr;
  for (diagnostic& d : m.diagnostics) {
    diagnostic copy;
    if (!own_model) copy = d;
    r.findings.push_back(
        compiler_error(std::move(own_model ? d : copy), names.of(d.file)));
  }
  if (own_model) m.diagnostics = {};
  run_warnings(collector.records(), m, options, tr, [&](raised_warning&& w) {
    const description_text& d = w.in == description::line ? linea : treno;
    finding f;
    f.is_error = options.warnings_as_errors;
    f.warning = w.name;
    f.details = std::move(w.message);
    f.position_m = w.position_m;
    f.file = w.in == description::line ? names.line : names.train;
    if (d.text && w.at.line > 0) {
      f.at = {w.at.line, w.at.column, w.at.length,
              line_start_of(w.at, *d.text)};
    }
    r.findings.push_back(std::move(f));
  });
  sort_in_file_order(r.findings, r.line_file, r.train_file);
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

}  // namespace

check_result check_descriptions(const description_text& linea,
                                const description_text& treno,
                                const warning_options& options,
                                const translator& tr,
                                const check_outputs& outputs) {
  check_result r;
  r.line_file = file_name(linea.file);
  r.train_file = file_name(treno.file);
  if (outputs.keep_texts) {
    if (linea.text)
      r.line_text = std::make_shared<const std::string>(*linea.text);
    if (treno.text)
      r.train_text = std::make_shared<const std::string>(*treno.text);
  }
  return check_with_texts(linea, treno, options, tr, outputs, std::move(r));
}

check_result check_descriptions(description_text&& linea,
                                description_text&& treno,
                                const warning_options& options,
                                const translator& tr,
                                const check_outputs& outputs) {
  check_result r;
  r.line_file = file_name(linea.file);
  r.train_file = file_name(treno.file);
  r = check_with_texts(linea, treno, options, tr, outputs, std::move(r));
  // The texts checked are kept as they are: no copy is made.
  if (outputs.keep_texts) {
    if (linea.text) {
      r.line_text = std::make_shared<const std::string>(std::move(*linea.text));
    }
    if (treno.text) {
      r.train_text =
          std::make_shared<const std::string>(std::move(*treno.text));
    }
  }
  return r;
}

std::string_view check_result::source_of(const finding& f) const {
  if (f.at.line <= 0) return {};
  // An error keeps its own line, as the compiler showed it.
  if (f.from_compiler) return f.compiler_source();
  const std::shared_ptr<const std::string>& text =
      f.file == line_file    ? line_text
      : f.file == train_file ? train_text
                             : nullptr;
  return text ? source_line(*text, f.at) : std::string_view();
}

int check_status(const check_result& r) { return r.errors > 0 ? 1 : 0; }

}  // namespace scenario
