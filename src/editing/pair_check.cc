#include "editing/pair_check.h"

#include <algorithm>
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

// Moves out of `all` the elements `ours` picks, keeping the order of both
// parts. When every element left is picked the vector goes whole, which
// for a file of hundreds of thousands of records spares a second buffer
// and the pages it would touch; otherwise the rest closes up in place.
template <typename T, typename Pick>
std::vector<T> take_out(std::vector<T>& all, Pick ours) {
  std::vector<T> out;
  if (std::all_of(all.begin(), all.end(), ours)) {
    out.swap(all);
    return out;
  }
  out.reserve(static_cast<size_t>(std::count_if(all.begin(), all.end(), ours)));
  auto kept = all.begin();
  for (auto it = all.begin(); it != all.end(); ++it) {
    if (ours(*it)) {
      out.push_back(std::move(*it));
    } else {
      if (kept != it) *kept = std::move(*it);
      ++kept;
    }
  }
  all.erase(kept, all.end());
  return out;
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
}

analysis pair_check::take(description in, description_text& t) {
  analysis a;
  a.in = in;
  a.text = std::move(t.text).value_or("");
  a.records = records_.take(in);
  a.line_length_m = line_length_m_;
  a.findings = take_out(result_.findings, [&](const finding& f) {
    return f.file == t.file ||
           (in == description::line && f.file != train_file_ && has_line_);
  });
  for (finding& f : a.findings) {
    if (f.file != t.file) f.at = {};
  }
  return a;
}

}  // namespace scenario::editing
