// The records of a description pair as the compiler read them, kept after
// the compilation: each one's kind, key, fields with their places in the
// text, and whether the compiler took it. The record-level railway and the
// tools that point into the texts read them. A file may hold hundreds of
// thousands of records, so each is kept in a few bytes: its fields live in
// one store shared by the whole list, keys and texts once each.
#ifndef SCENARIO_RAILWAY_RECORDS_H_
#define SCENARIO_RAILWAY_RECORDS_H_

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "compiler/policy.h"
#include "compiler/record_reader.h"

namespace scenario {

class record_store;

// A record as the compiler read it, kept after the compilation. It points
// into the store of the `record_list` it came from, which must outlive it.
class record_as_read {
 public:
  record_kind kind = record_kind::gradient;
  description in = description::line;
  bool accepted = true;

  // The key as written.
  std::string_view key() const;
  field_place key_at() const;
  // The numeric fields, in record order.
  size_t number_count() const { return numbers_; }
  // Number `i`; 0 past the last.
  int64_t number(size_t i) const;
  // Where number `i` stands; the key's place past the last.
  field_place place(size_t i) const;
  // The text field (board text, station name), when the record has one.
  bool has_text() const { return has_text_; }
  std::string_view text() const;
  // Where the text field stands; no place when there is none.
  field_place text_at() const;

 private:
  friend class record_collector;

  // Ordered so that a record takes 24 bytes.
  bool has_text_ = false;
  uint16_t numbers_ = 0;
  uint32_t first_ = 0;  // the key's field in the store; the numbers and the
                        // text follow it
  const record_store* store_ = nullptr;
};

// The records of a pair in the order read, with the store they point into.
// Copies share the store.
class record_list {
 public:
  using const_iterator = std::vector<record_as_read>::const_iterator;

  record_list() = default;

  const_iterator begin() const { return records_.begin(); }
  const_iterator end() const { return records_.end(); }
  size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  const record_as_read& operator[](size_t i) const { return records_[i]; }
  const record_as_read& back() const { return records_.back(); }
  operator std::span<const record_as_read>() const {  // NOLINT
    return records_;
  }

  // The records of one description, sharing this list's store.
  record_list of(description in) const;
  // The same, moved out: this list keeps the others.
  record_list take(description in);

 private:
  friend class record_collector;

  std::shared_ptr<const record_store> store_;
  std::vector<record_as_read> records_;
};

// Collects the records as the compiler reads them.
class record_collector : public record_observer {
 public:
  record_collector();
  ~record_collector() override;

  void on_record(const record_event& e) override;
  const record_list& records() const { return list_; }
  // The records, moved out: the collector holds none after.
  record_list take_records();

 private:
  std::shared_ptr<record_store> store_;
  record_list list_;
};

}  // namespace scenario

#endif  // SCENARIO_RAILWAY_RECORDS_H_
