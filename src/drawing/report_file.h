// Writing a report page safely: a failure leaves the previous page intact
// and no partial file.
#ifndef SCENARIO_DRAWING_REPORT_FILE_H_
#define SCENARIO_DRAWING_REPORT_FILE_H_

#include <filesystem>
#include <string>

#include "output/replace_file.h"

namespace scenario::drawing {

// Writes `page` to `target`; false with *failure set when it cannot.
bool write_page(const std::string& page, const std::filesystem::path& target,
                file_failure* failure);

}  // namespace scenario::drawing

#endif  // SCENARIO_DRAWING_REPORT_FILE_H_
