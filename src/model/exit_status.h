// Every exit status the two programs end with, in one place: the builder's
// own run statuses (0 to 4) and the system's conventional ones (sysexits)
// for usage, data, missing input, internal faults and busy folders. The
// library returns them; only a program's main ends the process with one.
#ifndef SCENARIO_MODEL_EXIT_STATUS_H_
#define SCENARIO_MODEL_EXIT_STATUS_H_

namespace scenario {

// Statuses of a run of the compiler, the builder's and `scenario compile`'s.
enum exit_status : int {
  exit_clean = 0,        // nothing recorded
  exit_recorded = 1,     // a code was recorded, the binary files were written
  exit_no_cells = 2,     // the compiler ended before the cell array existed
  exit_errore = 3,       // an output slot was in use (1250 or 1251)
  exit_file_system = 4,  // a file could not be written
  exit_busy = 75,        // another run held the folder too long
};

// The system's conventional statuses (sysexits).
inline constexpr int exit_usage = 64;          // bad arguments (EX_USAGE)
inline constexpr int exit_data = 65;           // input is not what it must be
inline constexpr int exit_no_input = 66;       // input missing or unreadable
inline constexpr int exit_software = 70;       // an internal fault
inline constexpr int exit_cannot_create = 73;  // an output cannot be written
inline constexpr int exit_try_again = 75;      // busy now; try again later

// The status of a process that gave up waiting for a folder.
inline constexpr int exit_folder_busy = exit_try_again;

}  // namespace scenario

#endif  // SCENARIO_MODEL_EXIT_STATUS_H_
