#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "service/store/gram_list_builder.h"

namespace quorvel::service {

// Gathers texts, and the lists of their grams (GramListBuilder), on a thread
// of its own, so that the lists grow while the caller goes on with its own
// work: reading the rows the texts come from.  Texts are handed over in
// batches of a few kilobytes; the caller waits only when the thread is that
// many batches behind.  Where no thread can be started, each batch is taken
// on the caller's thread as it fills.
//
// One caller thread: Add() and Finish() are not safe to call from several.
class GramListThread {
 public:
  GramListThread();
  // Stops the thread; what it gathered goes with it.
  ~GramListThread();
  GramListThread(const GramListThread&) = delete;
  GramListThread& operator=(const GramListThread&) = delete;

  // Adds the next text: the first is text 0.  Throws what the build threw.
  void Add(std::string_view text);

  struct Result {
    std::string texts;                // every text, one after the other
    std::vector<std::uint64_t> ends;  // in texts, of each text
    GramListBuilder::Lists lists;
    // How long the build worked, on its own thread or the caller's.
    std::chrono::steady_clock::duration working{};
  };
  // Waits until every text is taken, and ends the build.  Throws what the
  // build threw.
  Result Finish();

 private:
  struct Batch {
    std::string texts;
    std::vector<std::uint32_t> sizes;
  };

  void Run();
  // Adds the texts of `batch` to the build, then empties it for reuse.
  void Take(Batch& batch);
  // Passes the batch being filled on to be taken.
  void HandOver();

  Batch filling_;  // the caller's

  std::mutex mutex_;
  std::condition_variable changed_;
  // Guarded by mutex_:
  std::deque<Batch> full_;  // oldest first
  std::vector<Batch> spare_;
  bool finishing_ = false;
  bool stopping_ = false;
  std::exception_ptr failure_;

  // The building thread's own until Finish() has seen it done:
  GramListBuilder builder_;
  Result result_;

  std::thread thread_;  // declared last: started once all else is ready
};

}  // namespace quorvel::service
