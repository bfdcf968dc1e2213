#include "running/step_profile.h"

#include <algorithm>
#include <array>
#include <bit>

namespace scenario {
namespace {

// Alike to the bit: merging two stretches never changes a metre's value,
// not even the sign of a zero.
bool same(float a, float b) {
  return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

}  // namespace

step_profile::step_profile(int64_t metres, float value)
    : metres_(std::max<int64_t>(metres, 0)) {
  if (metres_ > 0) changes_.push_back({0, value});
}

step_profile::step_profile(int64_t metres, std::vector<change> changes)
    : metres_(std::max<int64_t>(metres, 0)) {
  if (metres_ == 0) return;
  changes_.push_back({0, 0});
  for (const change& c : changes) {
    if (c.from_m >= metres_) break;
    if (c.from_m <= changes_.back().from_m) {
      // A later change of the same metre wins.
      changes_.back().value = c.value;
      const size_t n = changes_.size();
      if (n > 1 && same(changes_[n - 1].value, changes_[n - 2].value)) {
        changes_.pop_back();
      }
    } else if (!same(c.value, changes_.back().value)) {
      changes_.push_back(c);
    }
  }
}

size_t step_profile::index_at(int64_t metre) const {
  const auto after =
      std::upper_bound(changes_.begin(), changes_.end(), metre,
                       [](int64_t m, const change& c) { return m < c.from_m; });
  return after == changes_.begin()
             ? 0
             : static_cast<size_t>(after - changes_.begin()) - 1;
}

float step_profile::at(int64_t metre) const {
  return changes_.empty() ? 0 : changes_[index_at(metre)].value;
}

void step_profile::set(int64_t from, int64_t to, float value) {
  from = std::max<int64_t>(from, 0);
  to = std::min(to, metres_);
  if (from >= to) return;
  const bool resumes = to < metres_;
  const float after = resumes ? at(to) : 0;
  const auto by_start = [](const change& c, int64_t m) { return c.from_m < m; };
  const auto first =
      std::lower_bound(changes_.begin(), changes_.end(), from, by_start);
  const auto last = std::lower_bound(first, changes_.end(), to + 1, by_start);
  const auto at_first = changes_.erase(first, last);
  const std::array<change, 2> inserted = {change{from, value},
                                          change{to, after}};
  const auto placed = changes_.insert(at_first, inserted.begin(),
                                      inserted.begin() + (resumes ? 2 : 1));
  // The new changes and the one after them may repeat the value before.
  const auto lo = static_cast<size_t>(placed - changes_.begin());
  const size_t hi = std::min(lo + 3, changes_.size());
  for (size_t i = hi; i-- > std::max<size_t>(lo, 1);) {
    if (same(changes_[i].value, changes_[i - 1].value)) {
      changes_.erase(changes_.begin() + static_cast<ptrdiff_t>(i));
    }
  }
}

void step_profile::lower(int64_t from, int64_t to, float value) {
  from = std::max<int64_t>(from, 0);
  to = std::min(to, metres_);
  if (from >= to) return;
  std::vector<change> pieces;
  for (size_t i = index_at(from);
       i < changes_.size() && changes_[i].from_m < to; ++i) {
    const float was = changes_[i].value;
    pieces.push_back({std::max(changes_[i].from_m, from),
                      was == 0 ? value : std::min(was, value)});
  }
  for (size_t k = 0; k < pieces.size(); ++k) {
    const int64_t end = k + 1 < pieces.size() ? pieces[k + 1].from_m : to;
    set(pieces[k].from_m, end, pieces[k].value);
  }
}

float step_profile::reader::at(int64_t metre) {
  const std::vector<change>& c = *changes_;
  if (c.empty()) return 0;
  while (i_ + 1 < c.size() && c[i_ + 1].from_m <= metre) ++i_;
  while (i_ > 0 && c[i_].from_m > metre) --i_;
  return c[i_].value;
}

}  // namespace scenario
