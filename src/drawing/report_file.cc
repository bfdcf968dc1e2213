#include "drawing/report_file.h"
namespace scenario::drawing {

bool write_page(const std::string& page, const std::filesystem::path& target,
                file_failure* failure) {
  replacement_file out(target);
  if (out.ok()) {
    out.put(page);
    if (out.commit()) return true;
  }
  *failure = out.failure();
  return false;
}

}  // namespace scenario::drawing
