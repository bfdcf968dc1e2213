#include "run/report.h"

#include <filesystem>

#include "run/error_codes.h"

namespace scenario {

std::string format_diagnostic(const diagnostic& d, bool file_name_only) {
  std::string s;
  if (!d.file.empty()) {
    s += file_name_only ? std::filesystem::path(d.file).filename().string()
                        : d.file;
    if (d.line > 0) s += ":" + std::to_string(d.line);
    s += ": ";
  }
  s += "error " + std::to_string(d.codice) + ": ";
  s += error_meaning(d.codice);
  if (!d.detail.empty()) s += " (" + d.detail + ")";
  if (d.posizione && error_has_position(d.codice)) {
    s += " (position " + std::to_string(*d.posizione) + " m)";
  }
  return s;
}

void report_diagnostics(const scenario_model& m, std::ostream& err,
                        bool file_name_only) {
  for (const diagnostic& d : m.diagnostics) {
    err << format_diagnostic(d, file_name_only) << '\n';
  }
  err.flush();
}

}  // namespace scenario
