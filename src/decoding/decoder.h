// Reads compiled scenarios back into the scenario model: the entry table
// (.sim), the cell array (.dat) and the plan (_linea.dat). The mirror of the
// writers; trusts nothing it reads and names every damage by file and byte.
#ifndef SCENARIO_DECODING_DECODER_H_
#define SCENARIO_DECODING_DECODER_H_

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "model/exit_status.h"
#include "model/model.h"
#include "model/translation.h"

namespace scenario {

// Exit statuses of the readers of compiled scenarios (sysexits' values).
enum decode_status : int {
  decode_ok = 0,
  decode_usage = exit_usage,   // the folder holds several scenarios: name one
  decode_damaged = exit_data,  // a file is there but not a scenario's bytes
  decode_missing = exit_no_input,  // a file is missing or cannot be read
  decode_busy = exit_folder_busy,  // a run kept writing there for the wait
};

// What went wrong, as a person reads it: "FILE: byte N: expected ..., found
// ..." for damage, "FILE: cannot open: reason" for a missing file.
struct decode_result {
  int status = decode_ok;
  std::string message;
  bool ok() const { return status == decode_ok; }
};

// The 87 entries of a .sim file, with their format marker, checksum and line
// length checked. `file` names the bytes in messages, which are told in
// the language of `tr`, as are those of the readers below.
decode_result decode_entries(std::string_view bytes, std::string_view file,
                             std::array<voce, voci_count>& voci,
                             const translator& tr);

// Byte offset of entry `index` in the .sim file that holds `voci`.
size_t entry_offset(const std::array<voce, voci_count>& voci, int index);

// Length of the extended line (route length + margin) and highest cell
// index of the scenario whose entries are `voci` (decoded, so in range).
int32_t extended_length(const std::array<voce, voci_count>& voci);
int32_t last_cell(const std::array<voce, voci_count>& voci);

// The cell array of a .dat file belonging to the decoded entries `voci`:
// its size must match their line length, its marker and checksum their
// names.
decode_result decode_cells(std::string_view bytes, std::string_view file,
                           const std::array<voce, voci_count>& voci,
                           std::vector<cella>& celle, const translator& tr);

// The plan of a _linea.dat file for a line of metres 0 to
// `lunghezza_estesa`; `t` is created here.
decode_result decode_plan(std::string_view bytes, std::string_view file,
                          int32_t lunghezza_estesa, tracciato_t& t,
                          const translator& tr);

// The scenario `percorso`/`treno` in `dir`: ROUTE_TRAIN.sim first (it gives
// the line length), then ROUTE_TRAIN.dat, then ROUTE_linea.dat when it is
// there (a scenario compiled without plan has none: then con_tracciato is
// 0). Fills percorso, treno, con_tracciato, lunghezza_estesa, numero_celle,
// celle, voci and tracciato; the rest of `m` is left as it was.
// The folder is held shared while the files are read, so that a run
// replacing the set is waited for (at most `wait.wait`, telling
// `wait.notice` once) and never read half-way; a run that keeps it longer
// gives decode_busy. A folder that cannot be opened to be locked is read
// without the lock: its files' own errors say what is wrong.
struct reader_wait {
  std::chrono::milliseconds wait = std::chrono::seconds(60);
  std::ostream* notice = nullptr;
  // The language of the notice and of the messages on the folder, its
  // files and their damaged bytes.
  translator tr = {};
};
decode_result decode_scenario(const std::filesystem::path& dir,
                              const std::string& percorso,
                              const std::string& treno, scenario_model& m,
                              const reader_wait& wait = {});

// The route and train of a scenario in a folder.
struct scenario_names {
  std::string percorso;
  std::string treno;
};

// Finds the scenario of `dir`: the names given when both are; otherwise
// the one .sim file there whose name fits the name given (or any, when
// none is). Its names are then the rest of the file name, or, with neither
// given, the names in its entries 85 and 86 (read with the folder held
// shared), which must make up the file name. No fitting file is status 66,
// several are status 64.
decode_result find_scenario(const std::filesystem::path& dir,
                            const std::optional<std::string>& percorso,
                            const std::optional<std::string>& treno,
                            scenario_names& names,
                            const reader_wait& wait = {});

}  // namespace scenario

#endif  // SCENARIO_DECODING_DECODER_H_
