#include <windows.h>

#include <new>

#include "model/zeroed_memory.h"

namespace scenario {

void* map_zeroed(size_t bytes) {
  void* p =
      VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void unmap_zeroed(void* block, size_t) { VirtualFree(block, 0, MEM_RELEASE); }

}  // namespace scenario
