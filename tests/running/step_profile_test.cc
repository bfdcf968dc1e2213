// A value held as the metres where it changes, against the same
// operations on a plain value per metre: every metre reads alike after
// each operation, by lookup and by readers going forwards and back, and
// the changes stay few (no two in a row alike).
#include "running/step_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace scenario {
namespace {

// The same value per metre, the obvious way.
struct per_metre {
  std::vector<float> v;

  void set(int64_t from, int64_t to, float value) {
    for (int64_t x = std::max<int64_t>(from, 0);
         x < std::min<int64_t>(to, std::ssize(v)); ++x) {
      v[static_cast<size_t>(x)] = value;
    }
  }
  void lower(int64_t from, int64_t to, float value) {
    for (int64_t x = std::max<int64_t>(from, 0);
         x < std::min<int64_t>(to, std::ssize(v)); ++x) {
      float& w = v[static_cast<size_t>(x)];
      w = w == 0 ? value : std::min(w, value);
    }
  }
};

// Every metre alike, and the changes where the values change.
void expect_alike(const step_profile& p, const per_metre& want,
                  const std::string& after) {
  ASSERT_EQ(p.metres(), std::ssize(want.v)) << after;
  step_profile::reader forwards(p);
  for (int64_t x = 0; x < p.metres(); ++x) {
    const float w = want.v[static_cast<size_t>(x)];
    ASSERT_EQ(p.at(x), w) << "metre " << x << " after " << after;
    ASSERT_EQ(forwards.at(x), w) << "metre " << x << " after " << after;
  }
  step_profile::reader backwards(p);
  for (int64_t x = p.metres(); x-- > 0;) {
    ASSERT_EQ(backwards.at(x), want.v[static_cast<size_t>(x)])
        << "metre " << x << " read backwards after " << after;
  }
  size_t changes = 0;
  for (size_t x = 0; x < want.v.size(); ++x) {
    changes += x == 0 || want.v[x] != want.v[x - 1];
  }
  EXPECT_EQ(p.changes().size(), changes) << after;
  if (!p.changes().empty()) {
    EXPECT_EQ(p.changes().front().from_m, 0) << after;
  }
}

TEST(step_profile, sets_and_lowers_as_a_value_per_metre_would) {
  const struct {
    const char* what;
    int64_t from, to;
    float value;
    bool lower;
  } cases[] = {
      {"a stretch in the middle", 20, 40, 60, false},
      {"the same value over it: no change", 25, 35, 60, false},
      {"a stretch from metre 0", 0, 10, 80, false},
      {"the value before, joining it", 10, 20, 80, false},
      {"across two stretches", 15, 30, 30, false},
      {"to the end", 90, 100, 120, false},
      {"beyond both ends, clipped", -5, 200, 50, false},
      {"a single metre", 50, 51, 10, false},
      {"no metre", 60, 60, 99, false},
      {"backwards bounds, no metre", 70, 65, 99, false},
      {"a slowdown over none and over more", 40, 60, 20, true},
      {"a slowdown above what is there", 45, 55, 40, true},
      {"a stretch of none", 0, 30, 0, false},
      {"a curve over none and a stretch", 25, 35, 500, true},
      {"past the end", 100, 120, 70, false},
  };
  step_profile p(100, 50);
  per_metre want{std::vector<float>(100, 50)};
  for (const auto& c : cases) {
    if (c.lower) {
      p.lower(c.from, c.to, c.value);
      want.lower(c.from, c.to, c.value);
    } else {
      p.set(c.from, c.to, c.value);
      want.set(c.from, c.to, c.value);
    }
    expect_alike(p, want, c.what);
  }
}

TEST(step_profile, random_operations_keep_every_metre_alike) {
  std::mt19937 random(24);
  for (int round = 0; round < 50; ++round) {
    const int64_t metres = 1 + static_cast<int64_t>(random() % 300);
    step_profile p(metres, 0);
    per_metre want{std::vector<float>(static_cast<size_t>(metres), 0)};
    for (int op = 0; op < 40; ++op) {
      const auto from = static_cast<int64_t>(random() % 340) - 20;
      const int64_t to = from + static_cast<int64_t>(random() % 120);
      const auto value = static_cast<float>(random() % 4 * 10);
      if (random() % 3 == 0) {
        p.lower(from, to, value);
        want.lower(from, to, value);
      } else {
        p.set(from, to, value);
        want.set(from, to, value);
      }
      expect_alike(p, want,
                   "round " + std::to_string(round) + " operation " +
                       std::to_string(op));
      if (HasFatalFailure()) return;
    }
  }
}

TEST(step_profile, built_from_its_changes_reads_them_in_place) {
  const step_profile p(
      10, {{0, 5}, {3, 5}, {3, 7}, {6, 0}, {6, 0.0f}, {8, -0.0f}, {12, 9}});
  // Repeats fold away; a later change of the same metre wins; a negative
  // zero is kept apart from zero; changes past the end are dropped.
  const float want[] = {5, 5, 5, 7, 7, 7, 0, 0, -0.0f, -0.0f};
  ASSERT_EQ(p.metres(), 10);
  for (int64_t x = 0; x < 10; ++x) {
    EXPECT_EQ(p.at(x), want[x]) << x;
    EXPECT_EQ(std::signbit(p.at(x)), std::signbit(want[x])) << x;
  }
  EXPECT_EQ(p.changes().size(), 4u);
  // Metres before the first change hold 0.
  const step_profile late(6, {{2, 4}});
  EXPECT_EQ(late.at(0), 0);
  EXPECT_EQ(late.at(1), 0);
  EXPECT_EQ(late.at(5), 4);
  EXPECT_TRUE(step_profile(0, 3).changes().empty());
}

}  // namespace
}  // namespace scenario
