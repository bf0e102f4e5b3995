#include "process_memory.h"

#include <malloc.h>

#include <fstream>
#include <sstream>
#include <string>

#include "address_sanitizer.h"

#ifdef QUORVEL_ADDRESS_SANITIZER
#include <sanitizer/allocator_interface.h>
#endif

namespace quorvel::soak {

std::int64_t ResidentBytesAfterTrim() {
#ifdef QUORVEL_ADDRESS_SANITIZER
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
#ifdef QUORVEL_ADDRESS_SANITIZER
  return false;
#else
  return true;
#endif
}

std::int64_t LiveHeapBytes() {
#ifdef QUORVEL_ADDRESS_SANITIZER
  return static_cast<std::int64_t>(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 info = mallinfo2();
  return static_cast<std::int64_t>(info.uordblks + info.hblkhd);
#endif
}

}  // namespace quorvel::soak
