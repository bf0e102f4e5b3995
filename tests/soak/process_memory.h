#pragma once

#include <cstdint>

namespace quorvel::soak {

// The process's resident memory in bytes (VmRSS), read after the allocator
// has handed back what it can; 0 where it cannot be read.
std::int64_t ResidentBytesAfterTrim();

}  // namespace quorvel::soak
