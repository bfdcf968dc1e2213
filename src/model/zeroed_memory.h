// Large blocks of fresh zeroed memory taken straight from the system, for
// the plan polyline: the system's zero pages cost nothing until written.
// One implementation per system (zeroed_memory_posix.cc, _windows.cc).
#ifndef SCENARIO_MODEL_ZEROED_MEMORY_H_
#define SCENARIO_MODEL_ZEROED_MEMORY_H_

#include <cstddef>

namespace scenario {

// A block of `bytes` zeroed bytes; throws std::bad_alloc when the system
// has none to give.
void* map_zeroed(size_t bytes);
// Gives back a block of map_zeroed(bytes).
void unmap_zeroed(void* block, size_t bytes);

}  // namespace scenario

#endif  // SCENARIO_MODEL_ZEROED_MEMORY_H_
