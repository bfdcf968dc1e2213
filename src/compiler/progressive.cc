#include "compiler/progressive.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string>

#include "compiler/run_time_failure.h"

namespace scenario {

namespace {

// One kilometric reference: (inizio, fine, posizione) of its entry.
struct reference {
  int64_t first = 0;
  int64_t second = 0;
  int64_t third = 0;
};

// Slots in the order "tre", "due", "uno" (entries 81, 82, 83).
using slots = std::array<reference, 3>;

constexpr std::array<int, 3> slot_entries = {voce_index::progressiva_tre,
                                             voce_index::progressiva_due,
                                             voce_index::progressiva_uno};
constexpr int32_t adjustment_m = 100;

// Ordering by the first number: the strictly greatest goes to "tre", the
// greater of the other two to "due"; on a tie between those two "due" takes
// the one named first in the order uno, due, tre. No strictly greatest
// first number clears everything.
slots order_by_first(const reference& t, const reference& d,
                     const reference& u) {
  if (t.first > d.first && t.first > u.first) {
    return d.first > u.first ? slots{t, d, u} : slots{t, u, d};
  }
  if (d.first > t.first && d.first > u.first) {
    return t.first > u.first ? slots{d, t, u} : slots{d, u, t};
  }
  if (u.first > t.first && u.first > d.first) {
    return t.first > d.first ? slots{u, t, d} : slots{u, d, t};
  }
  return slots{};
}

// Ordering by the second number, used when the first numbers sum to zero.
slots order_by_second(const reference& t, const reference& d,
                      const reference& u) {
  if (u.second > 0) return slots{u, d, t};
  if (d.second > 0) return slots{d, t, u};
  if (t.second > 0) return slots{t, d, u};
  return slots{};
}

bool fits_int32(int64_t v) {
  return v >= std::numeric_limits<int32_t>::min() &&
         v <= std::numeric_limits<int32_t>::max();
}

}  // namespace

void progressive_ordina(scenario_model& m) {
  slots found;
  for (size_t i = 0; i < found.size(); ++i) {
    const voce& v = voce_at(m, slot_entries[i]);
    found[i] = {v.inizio, v.fine, v.posizione};
  }
  const reference& t = found[0];
  const reference& d = found[1];
  const reference& u = found[2];

  // The zero test is on the exact sum: first numbers that cancel out take
  // the ordering by the second number.
  slots result = (t.first + d.first + u.first != 0) ? order_by_first(t, d, u)
                                                    : order_by_second(t, d, u);

  for (reference& r : result) {
    if (r.third == 1) r.second += adjustment_m;
    // Only the adjusted second number can leave 32 bits; refuse it before
    // anything is written back.
    if (!fits_int32(r.second)) {
      throw run_time_failure(N_("kilometric reference %s lies outside 32 bits"),
                             {std::to_string(r.second)});
    }
  }

  for (size_t i = 0; i < result.size(); ++i) {
    voce& v = voce_at(m, slot_entries[i]);
    v.inizio = static_cast<int32_t>(result[i].first);
    v.fine = static_cast<int32_t>(result[i].second);
    v.posizione = static_cast<int32_t>(result[i].third);
  }
}

}  // namespace scenario
