// One run of the builder: writes the five text files into a directory,
// compiles the two descriptions, post-processes the cells and writes the
// three binary files, reporting every recorded code. Returns the exit status;
// only the program's main ends the process.
#ifndef SCENARIO_RUN_RUN_H_
#define SCENARIO_RUN_RUN_H_

#include <filesystem>
#include <ostream>

#include "compiler/compiler.h"
#include "model/model.h"
#include "run/window.h"

namespace scenario {

// The identifiers of the scenario this build carries.
inline constexpr char build_percorso[] = "Tarvena_Olmisco";
inline constexpr char build_treno[] = "IR 4518";

// Exit statuses of a run.
enum exit_status : int {
  exit_clean = 0,        // nothing recorded
  exit_recorded = 1,     // a code was recorded, the binary files were written
  exit_no_cells = 2,     // the compiler ended before the cell array existed
  exit_errore = 3,       // an output slot was in use (1250 or 1251)
  exit_file_system = 4,  // a file could not be written
};

struct report_options {
  bool file_names_only = true;  // name descriptions without their directory
};

// Resets the model, compiles `in`, post-processes, fills the marker and
// checksum slots and writes the binary files into `out_dir`; `j` nonzero
// also builds and writes the plan. Reports on `err`; slot conflicts go
// through `ui.errore`.
int memorizza_percorso(scenario_model& m, int32_t j, const compile_inputs& in,
                       const std::filesystem::path& out_dir, window& ui,
                       std::ostream& err, report_options opts = {});

// The same stages on descriptions held in memory, up to the files: reset,
// compilation, post-processing (when the cells exist) and the marker and
// checksum slots (a conflict is recorded as its code). Writes nothing and
// reports nothing. Returns the status a run of the same pair ends with when
// every file can be written.
int compile_in_memory(scenario_model& m, int32_t j,
                      const description_text& linea,
                      const description_text& treno);

// The whole run in `dir`.
int run_scenario(const std::filesystem::path& dir, window& ui,
                 std::ostream& err);

// The directory of the running program.
std::filesystem::path program_directory();

}  // namespace scenario

#endif  // SCENARIO_RUN_RUN_H_
