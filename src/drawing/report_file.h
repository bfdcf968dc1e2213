// Where report pages come from and go to: finding the one compiled scenario
// of a folder when its names are not given, and writing a page safely (a
// failure leaves the previous page intact).
#ifndef SCENARIO_DRAWING_REPORT_FILE_H_
#define SCENARIO_DRAWING_REPORT_FILE_H_

#include <filesystem>
#include <string>

#include "decoding/decoder.h"
#include "output/replace_file.h"

namespace scenario::drawing {

// The route and train names of the one entry table (*.sim) in `dir`, read
// from its entries 85 and 86. Missing when the folder has none or cannot be
// read; a usage problem (status 64) when it has several, since the caller
// must then choose with names.
decode_result find_scenario_names(const std::filesystem::path& dir,
                                  std::string& percorso, std::string& treno);

// Writes `page` to `target`; false with *failure set when it cannot.
bool write_page(const std::string& page, const std::filesystem::path& target,
                file_failure* failure);

}  // namespace scenario::drawing

#endif  // SCENARIO_DRAWING_REPORT_FILE_H_
