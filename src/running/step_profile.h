// A value along the line that changes only at whole metres, held as the
// metres where it changes rather than one value per metre: the speed
// limits, slowdowns, gradients and curve radii of the running line.
#ifndef SCENARIO_RUNNING_STEP_PROFILE_H_
#define SCENARIO_RUNNING_STEP_PROFILE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace scenario {

class step_profile {
 public:
  // From `from_m` on, up to the next change, the value is `value`.
  struct change {
    int64_t from_m = 0;
    float value = 0;
  };

  step_profile() = default;
  // `metres` metres of `value`.
  step_profile(int64_t metres, float value);
  // `metres` metres taking each change's value from its metre on, 0
  // before the first; the changes are in increasing order of metre.
  step_profile(int64_t metres, std::vector<change> changes);

  int64_t metres() const { return metres_; }
  // The value of the metre [metre, metre + 1), within the profile.
  float at(int64_t metre) const;
  // The changes in order, the first at metre 0; no two in a row share a
  // value. Empty for a profile of no metre.
  const std::vector<change>& changes() const { return changes_; }

  // Gives the metres [from, to), clipped to the profile, `value`.
  void set(int64_t from, int64_t to, float value);
  // Lowers the metres [from, to) to `value` where they hold more, or
  // where they hold 0, which stands for none (no slowdown, no curve).
  void lower(int64_t from, int64_t to, float value);

  // Reads the values of metres in increasing order, each in constant time
  // on average; it goes back too, more slowly.
  class reader {
   public:
    explicit reader(const step_profile& p) : changes_(&p.changes_) {}
    float at(int64_t metre);

   private:
    const std::vector<change>* changes_;
    size_t i_ = 0;
  };

 private:
  // The index of the change in force at `metre`.
  size_t index_at(int64_t metre) const;

  int64_t metres_ = 0;
  std::vector<change> changes_;
};

}  // namespace scenario

#endif  // SCENARIO_RUNNING_STEP_PROFILE_H_
