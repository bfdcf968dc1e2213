// The three binary files of a model as the writers write them, read back
// into memory, for the targets that compare what is written with what is
// decoded. The files go to a scratch folder of the process, removed when
// the process ends.
#ifndef SCENARIO_FUZZ_WRITTEN_FILES_H_
#define SCENARIO_FUZZ_WRITTEN_FILES_H_

#include <optional>
#include <string>

#include "model/model.h"

namespace scenario::fuzz {

struct written_files {
  std::string entries;              // .sim
  std::string cells;                // .dat
  std::optional<std::string> plan;  // _linea.dat, when one is written
};

// Writes `m` with write_binary_files, under the names of its percorso and
// treno, and reads the files back; an empty
// optional when writing failed, with `why` set.
std::optional<written_files> write_and_read(const scenario_model& m,
                                            std::string* why);

}  // namespace scenario::fuzz

#endif  // SCENARIO_FUZZ_WRITTEN_FILES_H_
