// What `scenario timing` prints: the legs of a run with their verdicts as a
// text table, or the whole calculation (values used, legs, and the profile
// of the run every 10 m) as JSON or CSV. Names are decoded from 8-bit text
// here.
#ifndef SCENARIO_RUNNING_TIMING_REPORT_H_
#define SCENARIO_RUNNING_TIMING_REPORT_H_

#include <string>
#include <vector>

#include "model/translation.h"
#include "running/running_time.h"
#include "running/train.h"

namespace scenario {

// Spacing of the profile rows of the JSON and CSV forms.
constexpr int profile_spacing_m = 10;

struct timing_context {
  std::string route;   // UTF-8
  std::string train;   // UTF-8
  std::string source;  // where the scenario came from, UTF-8
  // The same as the heading says it: "from the compiled files in DIR".
  std::string from_source = {};
};

// The profile rows of the JSON and CSV forms: the nodes every 10 m from the
// first station, and the last node the train reaches.
std::vector<run_node> profile_rows(const running_result& r);

// The same rows taken as a run hands out its nodes (run_legs), so that the
// run need keep no node's values.
class profile_sampler {
 public:
  explicit profile_sampler(double step_m);
  void take(const run_node& n);
  // The rows, once the run is over.
  std::vector<run_node> rows() const;

 private:
  size_t every_;
  std::vector<run_node> rows_;
  run_node last_;
  bool any_ = false;
};

// In the language of `tr`; the JSON and CSV forms keep their names.
std::string format_timing_text(const timing_context& c,
                               const running_line& line,
                               const running_parameters& p,
                               const running_result& r, const translator& tr);
// Keys and verdict names fixed; the sentences in the language of `tr`.
// The profile is printed from `rows`.
std::string format_timing_json(const timing_context& c,
                               const running_line& line,
                               const running_parameters& p,
                               const running_result& r,
                               const std::vector<run_node>& rows,
                               const translator& tr);
std::string format_timing_csv(const timing_context& c, const running_line& line,
                              const running_parameters& p,
                              const running_result& r,
                              const std::vector<run_node>& rows);

// "8:05" for 485 s, "-0:12" for -12 s, "1:02:05" from an hour on; "never"
// (in the language of `tr`) for an infinite time.
std::string format_duration(double seconds, const translator& tr);

// The sentence on curves: from the records with their cant and cant
// deficiency, or not known; in the language of `tr`.
std::string describe_curves(const running_line& line, const train_parameters& t,
                            const translator& tr);

// One note per station whose time is read as the next day's.
std::string describe_next_days(const running_line& line, const translator& tr);

// A leg's verdict as a person reads it (verdict_name is its fixed name).
const char* verdict_words(verdict v, const translator& tr);

}  // namespace scenario

#endif  // SCENARIO_RUNNING_TIMING_REPORT_H_
