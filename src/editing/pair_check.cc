#include "editing/pair_check.h"

#include <utility>

#include "model/error_codes.h"
#include "model/text_8bit.h"

namespace scenario::editing {
namespace {

finding line_missing(const description_text& treno) {
  finding f;
  f.code = code_number(error_code::line_missing);
  f.details =
      message_arguments(N_("no line description pairs with this train: name it "
                           "ROUTE_linea.txt next to it, or list the pair in "
                           "scenario-pairs.json"),
                        {});
  f.file = file_name(treno.file);
  f.at = {1, 1, 0, 0};
  return f;
}

}  // namespace

pair_check::pair_check(const description_pair& pair,
                       const description_text& linea,
                       const description_text& treno,
                       const warning_options& warnings, const translator& tr)
    : has_line_(!pair.line.empty()), train_file_(treno.file) {
  if (has_line_) {
    result_ = check_descriptions(linea, treno, warnings, tr,
                                 {.records = &records_, .keep_texts = false});
  } else {
    result_.findings.push_back(line_missing(treno));
  }
  for (const record_as_read& rec : records_) {
    if (rec.kind == record_kind::line_length && rec.accepted) {
      line_length_m_ = rec.number(0);
    }
  }
  taken_.assign(result_.findings.size(), false);
}

analysis pair_check::take(description in, description_text& t) {
  analysis a;
  a.in = in;
  a.text = std::move(t.text).value_or("");
  a.records = records_.of(in);
  a.line_length_m = line_length_m_;
  for (size_t i = 0; i < result_.findings.size(); ++i) {
    finding& f = result_.findings[i];
    const bool ours = f.file == t.file || (in == description::line &&
                                           f.file != train_file_ && has_line_);
    if (!ours || taken_[i]) continue;
    taken_[i] = true;
    if (f.file != t.file) f.at = {};
    a.findings.push_back(std::move(f));
  }
  return a;
}

}  // namespace scenario::editing
