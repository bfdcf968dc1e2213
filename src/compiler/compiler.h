// The compiler: reads the line description, then the train and service
// description, into the scenario model. Rejections and reading failures are
// recorded in the model (codice_errore, posizione_errore, diagnostics with the
// description's file name and the record's line); nothing is thrown.
#ifndef SCENARIO_COMPILER_COMPILER_H_
#define SCENARIO_COMPILER_COMPILER_H_

#include <filesystem>
#include <optional>
#include <string>

#include "compiler/policy.h"
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

// A description held in memory: the name it has in the diagnostics and its
// text, or no text when it could not be read (`failure` says why).
struct description_text {
  std::string file;
  std::optional<std::string> text;
  std::string failure;
  worded_detail failure_worded = {};  // `failure` as its pattern and arguments
};

// Reads a whole description file; never throws.
description_text load_description(const std::filesystem::path& p);

// The same compilation as memorizza_dati on descriptions held in memory,
// deleting nothing: a line description without text is code 101, a train
// description without text is code 25. The caller has reset the model.
// `policy` may keep going past rejections and watch the records.
void compile_descriptions(scenario_model& m, const description_text& linea,
                          const description_text& treno,
                          const compile_policy& policy = {});

}  // namespace scenario

#endif  // SCENARIO_COMPILER_COMPILER_H_
