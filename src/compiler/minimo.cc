#include "compiler/minimo.h"

namespace scenario {

int32_t minimo(int32_t x, int32_t y) { return x > y ? y : x; }

}  // namespace scenario
