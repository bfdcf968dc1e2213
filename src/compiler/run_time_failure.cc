#include "compiler/run_time_failure.h"

namespace scenario {

cella& cell_at(scenario_model& m, int64_t index) {
  if (!m.has_cells()) {
    throw run_time_failure("the cells are used before the line length is read");
  }
  if (index < 0 || index > m.numero_celle) {
    throw run_time_failure("cell " + std::to_string(index) +
                           " lies outside the cell array (0 to " +
                           std::to_string(m.numero_celle) + ")");
  }
  return m.celle[static_cast<size_t>(index)];
}

voce& voce_at(scenario_model& m, int64_t index) {
  if (index < 0 || index >= voci_count) {
    throw run_time_failure("entry " + std::to_string(index) +
                           " lies outside the entry table (0 to 86)");
  }
  return m.voci[static_cast<size_t>(index)];
}

}  // namespace scenario
