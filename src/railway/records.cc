#include "railway/records.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <optional>
#include <string>
#include <unordered_map>

namespace scenario {

// A field kept in 16 bytes: its number (a key's or a text's index among the
// store's texts) and where it stands; its offset is its line's start plus
// its column.
struct stored_field {
  int32_t value = 0;
  int32_t line = 0;
  int32_t column = 0;
  int32_t length = 0;
};

// The fields of every record of a list, the offsets at which their lines
// start, and each key and text once.
class record_store {
 public:
  // In blocks: growing never copies them nor holds twice their room.
  std::deque<stored_field> fields;

  stored_field keep(description in, const field_place& at, int32_t value) {
    if (at.line > 0) {
      line_starts_[index(in)].note(
          at.line, at.offset - static_cast<size_t>(at.column - 1));
    }
    return {value, at.line, at.column, at.length};
  }

  field_place place(description in, const stored_field& f) const {
    field_place at{f.line, f.column, f.length, 0};
    if (const auto start = line_starts_[index(in)].start_of(f.line)) {
      at.offset = *start + static_cast<size_t>(f.column - 1);
    }
    return at;
  }

  int32_t intern(std::string_view s) {
    const auto it = ids_.find(s);
    if (it != ids_.end()) return it->second;
    const int32_t id = static_cast<int32_t>(texts_.size());
    texts_.emplace_back(s);
    ids_.emplace(texts_.back(), id);
    return id;
  }

  std::string_view text(int32_t id) const {
    return texts_[static_cast<size_t>(id)];
  }

 private:
  static size_t index(description in) {
    return in == description::line ? 0 : 1;
  }

  // Where the lines that hold a field start, in line order: the reader
  // goes forward, so a line is almost always noted after those before it.
  // Blank lines take no room.
  class line_table {
   public:
    void note(int line, size_t start) {
      if (lines_.empty() || line > lines_.back()) {
        lines_.push_back(line);
        starts_.push_back(start);
        return;
      }
      const auto it = std::lower_bound(lines_.begin(), lines_.end(), line);
      if (*it == line) return;
      const auto at = it - lines_.begin();
      lines_.insert(it, line);
      starts_.insert(starts_.begin() + at, start);
    }
    std::optional<size_t> start_of(int line) const {
      const auto it = std::lower_bound(lines_.begin(), lines_.end(), line);
      if (it == lines_.end() || *it != line) return std::nullopt;
      return starts_[static_cast<size_t>(it - lines_.begin())];
    }

   private:
    std::vector<int> lines_;
    std::vector<size_t> starts_;
  };

  // For each description; a deque keeps each text where it is as more
  // come, so the index may point into them.
  line_table line_starts_[2];
  std::deque<std::string> texts_;
  std::unordered_map<std::string_view, int32_t> ids_;
};

std::string_view record_as_read::key() const {
  return store_ ? store_->text(store_->fields[first_].value)
                : std::string_view();
}

field_place record_as_read::key_at() const {
  return store_ ? store_->place(in, store_->fields[first_]) : field_place();
}

int64_t record_as_read::number(size_t i) const {
  return i < numbers_ ? store_->fields[first_ + 1 + i].value : 0;
}

field_place record_as_read::place(size_t i) const {
  return i < numbers_ ? store_->place(in, store_->fields[first_ + 1 + i])
                      : key_at();
}

std::string_view record_as_read::text() const {
  return has_text_ ? store_->text(store_->fields[first_ + 1 + numbers_].value)
                   : std::string_view();
}

field_place record_as_read::text_at() const {
  return has_text_ ? store_->place(in, store_->fields[first_ + 1 + numbers_])
                   : field_place();
}

record_list record_list::of(description in) const {
  record_list l;
  l.store_ = store_;
  for (const record_as_read& r : records_) {
    if (r.in == in) l.records_.push_back(r);
  }
  return l;
}

record_list record_list::take(description in) {
  record_list l;
  l.store_ = store_;
  const auto ours = [in](const record_as_read& r) { return r.in == in; };
  if (std::all_of(records_.begin(), records_.end(), ours)) {
    l.records_.swap(records_);  // the whole list, without a copy
    return l;
  }
  l.records_.reserve(static_cast<size_t>(
      std::count_if(records_.begin(), records_.end(), ours)));
  std::copy_if(records_.begin(), records_.end(), std::back_inserter(l.records_),
               ours);
  std::erase_if(records_, ours);
  return l;
}

record_collector::record_collector()
    : store_(std::make_shared<record_store>()) {
  list_.store_ = store_;
}

record_collector::~record_collector() = default;

void record_collector::on_record(const record_event& e) {
  static_assert(sizeof(record_as_read) <= 24);
  record_store& s = *store_;
  record_as_read r;
  r.kind = e.kind;
  r.in = e.in;
  r.accepted = e.accepted;
  r.store_ = store_.get();
  r.first_ = static_cast<uint32_t>(s.fields.size());
  s.fields.push_back(s.keep(e.in, e.key_at, s.intern(e.key)));
  const read_field* text = nullptr;
  for (const read_field& f : e.fields) {
    if (f.is_text) {
      text = &f;  // a record has one text field; the last one read counts
    } else {
      // The reader's widest field is 32 bits.
      s.fields.push_back(s.keep(e.in, f.at, static_cast<int32_t>(f.number)));
      ++r.numbers_;
    }
  }
  if (text != nullptr) {
    s.fields.push_back(s.keep(e.in, text->at, s.intern(text->text)));
    r.has_text_ = true;
  }
  list_.records_.push_back(r);
}

record_list record_collector::take_records() {
  record_list l = std::move(list_);
  store_ = std::make_shared<record_store>();
  list_ = record_list();
  list_.store_ = store_;
  return l;
}

}  // namespace scenario
