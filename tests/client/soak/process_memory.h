#pragma once

#include <cstdint>

namespace quorvel::soak {

// The process's resident memory in bytes (VmRSS), read after the allocator
// has handed back what it can; 0 where it cannot be read.
std::int64_t ResidentBytesAfterTrim();

// Bytes the program holds in live heap blocks, as the allocator counts them.
std::int64_t LiveHeapBytes();

// False under AddressSanitizer: its allocator keeps freed memory in
// quarantine and in its own regions and gives little of it back, so the
// resident size follows the peak rather than what the program holds; only
// the live heap says whether memory grows.
bool ResidentSizeFollowsTheHeap();

}  // namespace quorvel::soak
