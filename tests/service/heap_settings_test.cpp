#include "service/heap_settings.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "address_sanitizer.h"

namespace quorvel::service {
namespace {

// The allocator's heaps, as malloc_info() lists them: one for each arena.
int Heaps() {
  char* text = nullptr;
  std::size_t size = 0;
  FILE* out = open_memstream(&text, &size);
  malloc_info(0, out);
  std::fclose(out);
  const std::string info(text, size);
  std::free(text);
  int heaps = 0;
  for (std::size_t at = info.find("<heap nr="); at != std::string::npos;
       at = info.find("<heap nr=", at + 1)) {
    ++heaps;
  }
  return heaps;
}

// Whether a block of `bytes` gets pages of its own, as it did the first
// time, after one as large was freed.
bool LargeBlocksKeepTheirOwnPages(std::size_t bytes) {
  for (int time = 0; time < 2; ++time) {
    const std::size_t before = mallinfo2().hblks;
    // Written to, so that the compiler keeps the allocation.
    auto* volatile block = static_cast<char*>(std::malloc(bytes));
    block[0] = 1;
    const bool own = mallinfo2().hblks == before + 1;
    std::free(block);
    if (!own) return false;
  }
  return true;
}

// 0 when the settings hold: threads allocating at once share the one heap,
// and large blocks keep pages of their own.
int CheckedInThisProcess() {
  KeepHeapCompact();
  std::vector<std::thread> threads;
  std::vector<void*> blocks(4);
  for (void*& block : blocks) {
    threads.emplace_back([&block] {
      auto* volatile written = static_cast<char*>(std::malloc(4096));
      written[0] = 1;
      block = written;
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (void* block : blocks) std::free(block);
  if (Heaps() != 1) return 1;
  return LargeBlocksKeepTheirOwnPages(2 * kOwnPagesFromBytes) ? 0 : 2;
}

TEST(HeapSettingsTest, ThreadsShareOneHeapAndLargeBlocksKeepPagesOfTheirOwn) {
  if (testing::kAddressSanitizer) GTEST_SKIP() << "AddressSanitizer brings its own allocator";
  // In a process of its own, started afresh: the settings stay for good, and
  // threads of other tests would have heaps already.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  unsetenv("GLIBC_TUNABLES");
  EXPECT_EXIT(std::exit(CheckedInThisProcess()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace quorvel::service
