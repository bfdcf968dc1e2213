#include "drawing/report_findings.h"

#include <string>

#include "drawing/markup.h"
#include "model/error_codes.h"
#include "model/text_8bit.h"

namespace scenario::drawing {
namespace {

bool same_place(const finding& f, const diagnostic& d) {
  return f.warning.empty() && f.code == d.codice && f.file == d.file &&
         f.at.line == d.line;
}

problem from_finding(const finding& f, const translator& tr) {
  problem p;
  p.code = f.code;
  p.position_m = f.position_m;
  p.file = path_to_printable(f.file);  // the path is bytes
  p.line = f.at.line;
  p.column = f.at.column;
  p.meaning = from_8bit(f.message(tr));
  p.warning = f.warning;
  p.is_error = f.is_error;
  p.strict = false;
  return p;
}

}  // namespace

std::vector<problem> problems_of_check(const check_result& checked,
                                       const std::vector<diagnostic>& strict,
                                       const translator& tr) {
  std::vector<problem> list;
  for (const finding& f : checked.findings) {
    list.push_back(from_finding(f, tr));
  }
  for (size_t k = 0; k < strict.size(); ++k) {
    const diagnostic& d = strict[k];
    bool found = false;
    for (size_t i = 0; i < list.size() && !found; ++i) {
      if (!list[i].strict && same_place(checked.findings[i], d)) {
        list[i].strict = true;
        list[i].stops_build = k == 0;
        found = true;
      }
    }
    if (found) continue;
    problem p;
    const diagnostic_description about = describe(d);
    p.code = d.codice;
    if (about.position_m) p.position_m = *about.position_m;
    p.file = path_to_printable(d.file);
    p.line = d.line;
    p.meaning = about.meaning;
    p.detail = from_8bit(about.detail);
    p.column = d.column;
    p.stops_build = k == 0;
    list.push_back(std::move(p));
  }
  return list;
}

}  // namespace scenario::drawing
