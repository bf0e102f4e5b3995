#include "process_memory.h"

#include <malloc.h>

#include <fstream>
#include <sstream>
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVEL_SOAK_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QUORVEL_SOAK_ASAN 1
#endif

#ifdef QUORVEL_SOAK_ASAN
#include <sanitizer/allocator_interface.h>
#endif

namespace quorvel::soak {

std::int64_t ResidentBytesAfterTrim() {
#ifdef QUORVEL_SOAK_ASAN
  // The sanitizer's allocator keeps freed blocks in quarantine; empty it.
  __sanitizer_purge_allocator();
#else
  malloc_trim(0);
#endif
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) {
      std::istringstream fields(line.substr(6));
      std::int64_t kib = 0;
      fields >> kib;
      return kib * 1024;
    }
  }
  return 0;
}

bool ResidentSizeFollowsTheHeap() {
#ifdef QUORVEL_SOAK_ASAN
  return false;
#else
  return true;
#endif
}

std::int64_t LiveHeapBytes() {
#ifdef QUORVEL_SOAK_ASAN
  return static_cast<std::int64_t>(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 info = mallinfo2();
  return static_cast<std::int64_t>(info.uordblks + info.hblkhd);
#endif
}

}  // namespace quorvel::soak
