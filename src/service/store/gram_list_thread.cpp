#include "service/store/gram_list_thread.h"

#include <system_error>
#include <utility>

namespace quorvel::service {
namespace {

using Clock = std::chrono::steady_clock;

// Small enough that the thread starts soon after the caller and ends soon
// after it, large enough that handing over costs nothing next to the texts.
constexpr std::size_t kBatchBytes = std::size_t{16} << 10;
// How far the thread may fall behind before the caller waits for it.
constexpr std::size_t kMostBehind = 64;

}  // namespace

GramListThread::GramListThread() {
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // No thread to be had (a process limit): the caller takes each batch.
  }
}

GramListThread::~GramListThread() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void GramListThread::Add(std::string_view text) {
  filling_.texts.append(text);
  filling_.sizes.push_back(static_cast<std::uint32_t>(text.size()));
  if (filling_.texts.size() >= kBatchBytes) HandOver();
}

void GramListThread::HandOver() {
  if (!thread_.joinable()) {
    Take(filling_);
    return;
  }
  Batch next;
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return full_.size() < kMostBehind || failure_ != nullptr; });
    if (failure_ != nullptr) std::rethrow_exception(failure_);
    full_.push_back(std::move(filling_));
    if (!spare_.empty()) {
      next = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  changed_.notify_all();
  filling_ = std::move(next);
}

void GramListThread::Run() {
  std::unique_lock lock(mutex_);
  try {
    for (;;) {
      changed_.wait(lock, [this] { return stopping_ || finishing_ || !full_.empty(); });
      if (stopping_) return;
      if (full_.empty()) {
        lock.unlock();
        const Clock::time_point start = Clock::now();
        result_.lists = builder_.Finish();
        result_.working += Clock::now() - start;
        return;
      }
      Batch batch = std::move(full_.front());
      full_.pop_front();
      lock.unlock();
      changed_.notify_all();  // room for one more
      Take(batch);
      lock.lock();
      spare_.push_back(std::move(batch));
    }
  } catch (...) {
    if (!lock.owns_lock()) lock.lock();
    failure_ = std::current_exception();
    lock.unlock();
    changed_.notify_all();
  }
}

void GramListThread::Take(Batch& batch) {
  const Clock::time_point start = Clock::now();
  const std::string_view texts = batch.texts;
  std::size_t at = 0;
  for (const std::uint32_t size : batch.sizes) {
    builder_.Add(texts.substr(at, size));
    at += size;
    result_.ends.push_back(result_.texts.size() + at);
  }
  result_.texts.append(texts);
  batch.texts.clear();
  batch.sizes.clear();
  result_.working += Clock::now() - start;
}

GramListThread::Result GramListThread::Finish() {
  if (!thread_.joinable()) {
    Take(filling_);
    const Clock::time_point start = Clock::now();
    result_.lists = builder_.Finish();
    result_.working += Clock::now() - start;
    return std::move(result_);
  }
  if (!filling_.sizes.empty()) HandOver();
  {
    std::lock_guard lock(mutex_);
    finishing_ = true;
  }
  changed_.notify_all();
  thread_.join();
  if (failure_ != nullptr) std::rethrow_exception(failure_);
  return std::move(result_);
}

}  // namespace quorvel::service
