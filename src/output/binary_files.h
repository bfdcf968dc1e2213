// The last stage of a run: the marker and checksum slots of the model, and
// the three binary files written from it (plan, entries, cells) by one
// writer per record kind, replaced together as a set.
#ifndef SCENARIO_OUTPUT_BINARY_FILES_H_
#define SCENARIO_OUTPUT_BINARY_FILES_H_

#include <filesystem>
#include <string>
#include <vector>

#include "model/model.h"
#include "output/replace_file.h"

namespace scenario {

std::filesystem::path plan_path(const std::filesystem::path& dir,
                                const std::string& percorso);
std::filesystem::path entries_path(const std::filesystem::path& dir,
                                   const std::string& percorso,
                                   const std::string& treno);
std::filesystem::path cells_path(const std::filesystem::path& dir,
                                 const std::string& percorso,
                                 const std::string& treno);

// The three files in writing order: plan, entries, cells.
std::vector<std::filesystem::path> binary_outputs(
    const std::filesystem::path& dir, const std::string& percorso,
    const std::string& treno);

// Checks that the marker and checksum slots are free, then fills them with
// the markers and the two checksums. Returns 0, or 1250 (marker slot in use)
// or 1251 (checksum slot in use), in which case the caller must not write.
// The model must have its cells.
int fill_marker_slots(scenario_model& m);

// Record writers, one per record kind.
void write_cella(replacement_file& out, const cella& c);
void write_voce(replacement_file& out, const voce& v);
void write_plan_element(replacement_file& out, const tracciato_t& t,
                        int64_t metre, int coord);

// Writes `_linea.dat` (only when con_tracciato is nonzero and the plan
// exists), `.sim` and `.dat` as one set: each to a temporary file, in that
// order, and renames them over the old files only when all are complete.
// A failure at any of them leaves every old file as it was, no temporary
// file, and `failure` naming the file and the reason.
bool write_binary_files(const scenario_model& m,
                        const std::filesystem::path& dir,
                        file_failure* failure);

}  // namespace scenario

#endif  // SCENARIO_OUTPUT_BINARY_FILES_H_
