// The compiler: reads the line description, then the train and service
// description, into the scenario model. Rejections and reading failures are
// recorded in the model (codice_errore, posizione_errore, diagnostics with the
// description's file name and the record's line); nothing is thrown.
#ifndef SCENARIO_COMPILER_COMPILER_H_
#define SCENARIO_COMPILER_COMPILER_H_

#include <filesystem>

#include "model/model.h"

namespace scenario {

struct compile_inputs {
  std::filesystem::path linea;  // the line description
  std::filesystem::path treno;  // the train and service description
  // Delete each description once read (the run); a tool for authors must
  // never delete its inputs.
  bool delete_sources = true;
};

// Copies percorso and treno into entries 85 and 86, then compiles both
// descriptions. The caller has reset the model.
void memorizza_dati(scenario_model& m, const compile_inputs& in);

}  // namespace scenario

#endif  // SCENARIO_COMPILER_COMPILER_H_
