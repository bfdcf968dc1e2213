// The records of a description pair as the compiler read them, kept after
// the compilation: each one's kind, key, fields with their places in the
// text, and whether the compiler took it. The record-level railway and the
// tools that point into the texts read them.
#ifndef SCENARIO_RAILWAY_RECORDS_H_
#define SCENARIO_RAILWAY_RECORDS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/policy.h"
#include "compiler/record_reader.h"

namespace scenario {

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

}  // namespace scenario

#endif  // SCENARIO_RAILWAY_RECORDS_H_
