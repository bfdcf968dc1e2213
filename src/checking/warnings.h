// The railway consistency warnings: checks an experienced route author makes
// that the compiler does not. Each has a name (switched by -W<name> and
// -Wno-<name>) and a one-line rationale, and runs on the records of both
// descriptions as the compiler read them, with the compiled cells for the
// speed in force.
#ifndef SCENARIO_CHECKING_WARNINGS_H_
#define SCENARIO_CHECKING_WARNINGS_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "checking/finding.h"
#include "compiler/policy.h"
#include "model/model.h"
#include "model/translation.h"
#include "railway/records.h"

namespace scenario {

// Service braking assumed between two signals.
constexpr double braking_deceleration_ms2 = 0.5;

struct warning_info {
  std::string_view name;
  std::string_view rationale;  // in English; shown through a translator
};

// Every warning, in the order they are listed.
std::span<const warning_info> all_warnings();

struct warning_options {
  std::set<std::string, std::less<>> disabled;
  bool warnings_as_errors = false;
  bool enabled(std::string_view name) const {
    return disabled.find(name) == disabled.end();
  }
};

// Applies one -W switch: "NAME" enables, "no-NAME" disables, "error" makes
// warnings errors and "no-error" undoes it. Returns false (with `why`) for
// a name that is no warning, in the language of `tr`.
bool apply_warning_switch(warning_options& o, std::string_view value,
                          std::string* why, const translator& tr);

// A warning as it is raised: its name (one of all_warnings()), its message
// as pattern and arguments, and the field it points at.
struct raised_warning {
  std::string_view name;
  message_arguments message;
  description in = description::line;
  field_place at;
  std::optional<int64_t> position_m;
};

// Whoever takes each warning as it is raised.
using warning_sink = std::function<void(raised_warning&&)>;

// Runs the enabled warnings on `records` and hands each to `sink`; `m` is
// the compiled model (its cells give the speed in force, its entry 84 the
// line length). The texts filled into messages (station names, nested
// phrases) are 8-bit text in the language of `tr`.
void run_warnings(const record_list& records,
                  const scenario_model& m, const warning_options& options,
                  const translator& tr, const warning_sink& sink);

}  // namespace scenario

#endif  // SCENARIO_CHECKING_WARNINGS_H_
