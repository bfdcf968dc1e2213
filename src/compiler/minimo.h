// The smaller of two values, as post-processing uses it to cap the speed of
// an existing speed point. On a tie the first argument is returned.
#ifndef SCENARIO_COMPILER_MINIMO_H_
#define SCENARIO_COMPILER_MINIMO_H_

#include <cstdint>

namespace scenario {

// Returns `y` when `x` > `y`, otherwise `x`.
int32_t minimo(int32_t x, int32_t y);

}  // namespace scenario

#endif  // SCENARIO_COMPILER_MINIMO_H_
