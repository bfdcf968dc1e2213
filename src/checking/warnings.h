// The railway consistency warnings: checks an experienced route author makes
// that the compiler does not. Each has a name (switched by -W<name> and
// -Wno-<name>) and a one-line rationale, and runs on the records of both
// descriptions as the compiler read them, with the compiled cells for the
// speed in force.
#ifndef SCENARIO_CHECKING_WARNINGS_H_
#define SCENARIO_CHECKING_WARNINGS_H_

#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/policy.h"
#include "model/model.h"
#include "model/translation.h"

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

// A record as the compiler read it, kept after the compilation.
struct record_as_read {
  record_kind kind = record_kind::gradient;
  description in = description::line;
  std::string key;
  field_place key_at;
  std::vector<int64_t> numbers;  // the numeric fields in record order
  std::vector<field_place> number_at;
  std::string text;  // the text field (board text, station name), if any
  field_place text_at;
  bool accepted = true;

  int64_t number(size_t i) const { return i < numbers.size() ? numbers[i] : 0; }
  field_place place(size_t i) const {
    return i < number_at.size() ? number_at[i] : key_at;
  }
};

// Collects the records as the compiler reads them.
class record_collector : public record_observer {
 public:
  void on_record(const record_event& e) override;
  const std::vector<record_as_read>& records() const { return records_; }
  // The records, moved out: the collector holds none after.
  std::vector<record_as_read> take_records() { return std::move(records_); }

 private:
  std::vector<record_as_read> records_;
};

struct raised_warning {
  std::string name;
  std::string message;
  description in = description::line;
  field_place at;
  std::optional<int64_t> position_m;
};

// Runs the enabled warnings on `records`; `m` is the compiled model (its
// cells give the speed in force, its entry 84 the line length). Messages are
// in the language of `tr`, as 8-bit text like the records they quote.
std::vector<raised_warning> run_warnings(
    const std::vector<record_as_read>& records, const scenario_model& m,
    const warning_options& options, const translator& tr);

}  // namespace scenario

#endif  // SCENARIO_CHECKING_WARNINGS_H_
