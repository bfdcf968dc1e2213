#include "pipeline/compile.h"

#include "compiler/post_processing.h"
#include "output/binary_files.h"

namespace scenario {

int compile_in_memory(scenario_model& m, int32_t j,
                      const description_text& linea,
                      const description_text& treno,
                      const compile_policy& policy) {
  reset(m, j);
  compile_descriptions(m, linea, treno, policy);
  if (!m.has_cells()) return exit_no_cells;
  post_elabora(m);
  if (int slot = fill_marker_slots(m); slot != 0) {
    record_error(m, slot);
    return exit_errore;
  }
  return m.diagnostics.empty() && m.codice_errore == 0 ? exit_clean
                                                       : exit_recorded;
}

}  // namespace scenario
