#include <sys/mman.h>

#include <new>

#include "model/zeroed_memory.h"

namespace scenario {

// Marked for huge pages where the system offers them: a plan of a few
// megabytes then costs a handful of page faults instead of one per 4 KiB.
void* map_zeroed(size_t bytes) {
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                 MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  madvise(p, bytes, MADV_HUGEPAGE);
#endif
  return p;
}

void unmap_zeroed(void* block, size_t bytes) { munmap(block, bytes); }

}  // namespace scenario
