// One run of the builder: writes the five text files into a directory,
// compiles the two descriptions, post-processes the cells and writes the
// three binary files, reporting every recorded code. Returns the exit status;
// only the program's main ends the process.
#ifndef SCENARIO_SHELL_RUN_H_
#define SCENARIO_SHELL_RUN_H_

#include <chrono>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compiler.h"
#include "model/exit_status.h"
#include "model/model.h"
#include "model/translation.h"
#include "output/folder_lock.h"
#include "pipeline/compile.h"
#include "shell/window.h"
#include "sources/source_names.h"

namespace scenario {

// How long a run waits for another run that is writing into its folder.
inline constexpr std::chrono::seconds default_folder_wait{60};

struct report_options {
  bool file_names_only = true;  // name descriptions without their directory
  // The author's form: column, kilometres, source line and caret (the
  // builder keeps its one-line form: its descriptions are gone by then).
  bool with_source = false;
  bool colour = false;  // with_source only
  translator tr;        // the language of the messages
};

// Resets the model, compiles `in`, post-processes, fills the marker and
// checksum slots and writes the binary files into `out_dir`; `j` nonzero
// also builds and writes the plan. Reports on `err`; slot conflicts go
// through `ui.errore`.
int memorizza_percorso(scenario_model& m, int32_t j, const compile_inputs& in,
                       const std::filesystem::path& out_dir, window& ui,
                       std::ostream& err, report_options opts = {});

// Runs `work` while holding the exclusive lock of the folder `dir`, so that
// one run at a time writes there. Waits at most `wait` for another run,
// saying so once on `err`. Once it holds the folder, removes the temporary
// files that a killed run left for `outputs` (files of `dir`). Returns the
// status of `work`, exit_busy when the wait ran out, or exit_file_system
// when the folder cannot be locked.
int with_folder_locked(const std::filesystem::path& dir,
                       std::chrono::milliseconds wait, std::ostream& err,
                       const std::vector<std::filesystem::path>& outputs,
                       const std::function<int()>& work, const translator& tr);

// The eight files a whole run in `dir` writes: the five texts, then the
// three binary files.
std::vector<std::filesystem::path> run_outputs(const std::filesystem::path& dir,
                                               const std::string& percorso,
                                               const std::string& treno);

// The whole run in `dir`. The caller holds the folder (with_folder_locked).
// Reports in the language of `tr` (the window's texts stay as they are).
int run_scenario(const std::filesystem::path& dir, window& ui,
                 std::ostream& err, const translator& tr);

// The directory of the running program.
std::filesystem::path program_directory();

// Where an installed program's window module lies, relative to the
// program's directory ("../lib/x86_64-linux-gnu/scenario-builder"); the
// install rules put it there and set the program's run path to it.
std::string_view installed_module_dir();

// The folder the program writes into when none is named: its own directory
// where it was built or copied to, but the current directory when it is
// installed (its window module in installed_module_dir() from there), since
// a system's program folder is no place for an author's scenario.
std::filesystem::path default_output_directory(
    const std::filesystem::path& program_dir);

}  // namespace scenario

#endif  // SCENARIO_SHELL_RUN_H_
