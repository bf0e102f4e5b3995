#include "service/heap_settings.h"

#include <malloc.h>

#include <cstdlib>
#include <initializer_list>

namespace quorvel::service {

void KeepHeapCompact() {
  for (const char* tuned : {"GLIBC_TUNABLES", "MALLOC_ARENA_MAX", "MALLOC_MMAP_THRESHOLD_"}) {
    if (std::getenv(tuned) != nullptr) return;
  }
  mallopt(M_ARENA_MAX, 1);
  // Setting the threshold also stops the allocator from raising it.
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(kOwnPagesFromBytes));
}

}  // namespace quorvel::service
