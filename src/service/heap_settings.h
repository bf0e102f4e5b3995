#pragma once

#include <cstddef>

namespace quorvel::service {

// Blocks of this size or more each get pages of their own from the system,
// given back whole when freed.
inline constexpr std::size_t kOwnPagesFromBytes = 128 * 1024;

// Keeps the memory the service holds close to what it uses, however many
// replies are built and dropped, so that its resident memory stays within a
// bound of the reply cache's limit (see docs/deploy.md):
// - every thread allocates from one heap: a reply is built on one serving
//   thread and usually dropped by another, and with a heap a thread the
//   memory freed in each lay in holes only its own thread could fill, so the
//   process grew to about twice the cache;
// - a block of kOwnPagesFromBytes or more (a large page's body and the
//   buffers it is built in) always gets pages of its own: by default the
//   allocator raises that threshold to the largest block freed so far, after
//   which large passing buffers fill the heap with holes between the replies
//   kept.
// Leaves the allocator as it is when the environment tunes it already
// (GLIBC_TUNABLES, MALLOC_ARENA_MAX, MALLOC_MMAP_THRESHOLD_): an operator
// who knows better keeps the last word.  Call before any thread starts.
void KeepHeapCompact();

}  // namespace quorvel::service
