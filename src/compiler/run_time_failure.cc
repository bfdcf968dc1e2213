#include "compiler/run_time_failure.h"

#include "model/error_codes.h"
#include "model/translation.h"

namespace scenario {

run_time_failure::run_time_failure(const char* pattern,
                                   std::vector<std::string> args,
                                   std::vector<size_t> system_reasons)
    : run_time_failure(
          worded_detail{pattern, std::move(args), std::move(system_reasons)}) {}

run_time_failure::run_time_failure(worded_detail worded)
    : std::runtime_error(fill_message(worded.pattern, worded.args)),
      worded_(std::move(worded)) {}

void record_failure(scenario_model& m, const std::string& file, source_span at,
                    const run_time_failure& e) {
  record_error(m, code_number(error_code::reading_failure), std::nullopt, file,
               std::move(at), e.what());
  m.diagnostics.back().worded = e.worded();
}

cella& cell_at(scenario_model& m, int64_t index) {
  if (!m.has_cells()) {
    throw run_time_failure(
        N_("the cells are used before the line length is read"));
  }
  if (index < 0 || index > m.numero_celle) {
    throw run_time_failure(
        N_("cell %s lies outside the cell array (0 to %s)"),
        {std::to_string(index), std::to_string(m.numero_celle)});
  }
  return m.celle[static_cast<size_t>(index)];
}

voce& voce_at(scenario_model& m, int64_t index) {
  if (index < 0 || index >= voci_count) {
    throw run_time_failure(
        N_("entry %s lies outside the entry table (0 to 86)"),
        {std::to_string(index)});
  }
  return m.voci[static_cast<size_t>(index)];
}

}  // namespace scenario
