#include "shell/run.h"

#include <string>
#include <system_error>

#include "compiler/post_processing.h"
#include "output/binary_files.h"
#include "pipeline/report.h"
#include "shell/window.h"
#include "sources/sources.h"

namespace scenario {
namespace {

int file_system_failure(const file_failure& f, std::ostream& err,
                        const translator& tr) {
  err << tr("error") << ": " << f.message(tr) << '\n';
  err.flush();
  return exit_file_system;
}

// The five text files, in their fixed order.
bool write_sources(const scenario_model& m, const std::filesystem::path& dir,
                   file_failure* f) {
  return dati_linea(dir, m.percorso, f) &&
         dati_treno(dir, m.percorso, m.treno, f) &&
         dati_note(dir, m.percorso, m.treno, f) &&
         dati_rallentamenti(dir, m.percorso, m.treno, f) &&
         dati_scheda(dir, m.percorso, m.treno, f);
}

// Removes a description file, and nothing else that may stand in its place.
void remove_description(const std::filesystem::path& p) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(
          std::filesystem::symlink_status(p, ec))) {
    std::filesystem::remove(p, ec);
  }
}

void report(const scenario_model& m, std::ostream& err,
            const report_options& opts) {
  if (opts.with_source) {
    report_diagnostics_with_source(m, err, opts.colour, opts.tr);
  } else {
    report_diagnostics(m, err, opts.file_names_only, opts.tr);
  }
}

}  // namespace

int memorizza_percorso(scenario_model& m, int32_t j, const compile_inputs& in,
                       const std::filesystem::path& out_dir, window& ui,
                       std::ostream& err, report_options opts) {
  reset(m, j);
  memorizza_dati(m, in);
  if (!m.has_cells()) {
    report(m, err, opts);
    err << opts.tr("error") << ": "
        << opts.tr(
               "the compiler ended before the cell array existed; no "
               "binary file was written and earlier ones are left as "
               "they were")
        << '\n';
    err.flush();
    return exit_no_cells;
  }
  post_elabora(m);
  if (int slot = fill_marker_slots(m); slot != 0) {
    record_error(m, slot);
    report(m, err, opts);
    ui.errore(std::to_string(slot));
    return exit_errore;
  }
  report(m, err, opts);
  file_failure failure;
  if (!write_binary_files(m, out_dir, &failure)) {
    return file_system_failure(failure, err, opts.tr);
  }
  return m.diagnostics.empty() && m.codice_errore == 0 ? exit_clean
                                                       : exit_recorded;
}

int run_scenario(const std::filesystem::path& dir, window& ui,
                 std::ostream& err, const translator& tr) {
  scenario_model m;
  m.percorso = build_percorso;
  m.treno = build_treno;
  ui.show_waiting();
  file_failure failure;
  if (!write_sources(m, dir, &failure)) {
    // The descriptions are there only for the compiler, which does not run
    // now: none is left behind.
    remove_description(linea_txt_path(dir, m.percorso));
    remove_description(treno_txt_path(dir, m.percorso, m.treno));
    return file_system_failure(failure, err, tr);
  }
  const compile_inputs in{linea_txt_path(dir, m.percorso),
                          treno_txt_path(dir, m.percorso, m.treno), true};
  return memorizza_percorso(m, 1, in, dir, ui, err, {.tr = tr});
}

int with_folder_locked(const std::filesystem::path& dir,
                       std::chrono::milliseconds wait, std::ostream& err,
                       const std::vector<std::filesystem::path>& outputs,
                       const std::function<int()>& work, const translator& tr) {
  lock_result held = lock_folder(dir, {.mode = lock_mode::exclusive,
                                       .wait = wait,
                                       .waiting_notice = &err,
                                       .tr = tr});
  switch (held.outcome) {
    case lock_outcome::held:
      remove_abandoned_temporaries(dir, outputs);
      return work();
    case lock_outcome::timed_out:
      err << tr("error") << ": " << held.message << '\n';
      err.flush();
      return exit_busy;
    case lock_outcome::failed:
      break;
  }
  err << tr("error") << ": " << held.message << '\n';
  err.flush();
  return exit_file_system;
}

std::vector<std::filesystem::path> run_outputs(const std::filesystem::path& dir,
                                               const std::string& percorso,
                                               const std::string& treno) {
  std::vector<std::filesystem::path> files = {
      linea_txt_path(dir, percorso),
      treno_txt_path(dir, percorso, treno),
      note_txt_path(dir, percorso, treno),
      rallentamenti_txt_path(dir, percorso, treno),
      scheda_txt_path(dir, percorso, treno),
  };
  for (const auto& p : binary_outputs(dir, percorso, treno)) {
    files.push_back(p);
  }
  return files;
}

// The build passes the folder of its install rules.
#ifndef SCENARIO_INSTALLED_MODULE_DIR
#define SCENARIO_INSTALLED_MODULE_DIR "../lib/scenario-builder"
#endif

std::string_view installed_module_dir() {
  return SCENARIO_INSTALLED_MODULE_DIR;
}

std::filesystem::path default_output_directory(
    const std::filesystem::path& program_dir) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(
          program_dir / installed_module_dir() / window_module, ec)) {
    return std::filesystem::current_path();
  }
  return program_dir;
}

}  // namespace scenario
