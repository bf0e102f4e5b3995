#include "service/http/request_log.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace quorvel::service {
namespace {

using Clock = std::chrono::steady_clock;

// A write of at most this much to a pipe that poll() finds writable never
// blocks; lines are far shorter, so a batch is whole lines.  A regular file
// takes larger writes.
constexpr std::size_t kPipeBatchBytes = 4096;
constexpr std::size_t kFileBatchBytes = 64 * 1024;
// After a small batch the writer lets lines gather this long, so that a busy
// service wakes it once a batch rather than once a line.
constexpr auto kGather = std::chrono::milliseconds(5);
constexpr std::size_t kMaxMethodChars = 64;
constexpr std::size_t kMaxNoteChars = 2048;
// How often a writer waiting for its reader looks whether it is to stop.
constexpr int kPollMillis = 50;
// What a stopped writer may take beyond its deadline to finish a write.
constexpr auto kCloseGrace = std::chrono::milliseconds(100);

}  // namespace

struct RequestLog::Queue {
  std::mutex mutex;
  std::condition_variable changed;
  // The lines queued, whole and one after the other, from `start` on: one
  // buffer that keeps its room, so that a line costs the allocator nothing
  // on the serving thread that writes it nor on the writer that frees it.
  std::string queued;
  std::size_t start = 0;
  std::size_t queued_bytes = 0;  // queued.size() - start
  std::size_t max_queued_bytes = 0;
  std::uint64_t dropped = 0;        // not yet said in a line of the log
  std::uint64_t dropped_total = 0;  // ever
  bool closing = false;
  bool finished = false;
  Clock::time_point deadline = Clock::time_point::max();
  int fd = 2;
  std::size_t batch_bytes = kPipeBatchBytes;

  // Writes `text` whole, waiting for the reader until the deadline and no
  // longer; false when it could not.
  bool WriteOut(std::string_view text) {
    while (!text.empty()) {
      int wait = kPollMillis;
      {
        std::lock_guard lock(mutex);
        if (closing && Clock::now() >= deadline) wait = 0;
      }
      pollfd ready{fd, POLLOUT, 0};
      const int polled = ::poll(&ready, 1, wait);
      if (polled < 0 && errno != EINTR) return false;
      if (polled <= 0) {
        if (wait == 0) return false;
        continue;
      }
      if ((ready.revents & (POLLERR | POLLNVAL)) != 0) return false;
      const ssize_t written = ::write(fd, text.data(), text.size());
      if (written < 0) {
        if (errno == EINTR || errno == EAGAIN) continue;
        return false;
      }
      text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
  }

  // Moves whole queued lines into `batch` while it stays within batch_bytes,
  // and at least one when `batch` is empty.
  void TakeLines(std::string& batch) {
    std::size_t end = start;
    while (end < queued.size()) {
      // Every line ends with a line end; were one without, it would go whole.
      const std::size_t found = queued.find('\n', end);
      const std::size_t line_end = found == std::string::npos ? queued.size() : found + 1;
      if ((!batch.empty() || end > start) && batch.size() + (line_end - start) > batch_bytes) {
        break;
      }
      end = line_end;
    }
    batch.append(queued, start, end - start);
    queued_bytes -= end - start;
    start = end;
    if (start == queued.size()) {
      queued.clear();
      start = 0;
    } else if (start > queued.size() / 2) {
      queued.erase(0, start);
      start = 0;
    }
  }

  void Run() {
    std::unique_lock lock(mutex);
    std::string batch;
    while (true) {
      changed.wait(lock, [&] { return queued_bytes > 0 || dropped > 0 || closing; });
      batch.clear();
      if (dropped > 0 && queued_bytes < batch_bytes) {
        // Caught up, or nearly (lines may keep coming one by one): one line
        // for all that could not be queued meanwhile.
        batch = "catalogue-service: " + std::to_string(dropped) +
                " log lines dropped: standard error was not read in time\n";
        dropped = 0;
      }
      TakeLines(batch);
      if (batch.empty()) break;  // closing, and nothing left
      lock.unlock();
      const bool written = WriteOut(batch);
      lock.lock();
      if (!written && closing && Clock::now() >= deadline) {
        dropped_total += static_cast<std::uint64_t>(
            std::count(queued.begin() + static_cast<std::ptrdiff_t>(start), queued.end(), '\n'));
        queued.clear();
        start = 0;
        queued_bytes = 0;
        break;
      }
      if (queued_bytes < batch_bytes) changed.wait_for(lock, kGather, [&] { return closing; });
    }
    finished = true;
    changed.notify_all();
  }
};

RequestLog::RequestLog(int fd, std::size_t max_queued_bytes) : queue_(std::make_shared<Queue>()) {
  queue_->fd = fd;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) queue_->batch_bytes = kFileBatchBytes;
  queue_->max_queued_bytes = max_queued_bytes;
  // The writer takes no signals: they are for whoever runs the service to
  // handle, and a thread started with them unblocked would take them first.
  sigset_t all;
  sigset_t before;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &before);
  std::thread([queue = queue_] { queue->Run(); }).detach();
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

RequestLog::~RequestLog() { Close(Clock::now()); }

void RequestLog::Close(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(queue_->mutex);
  if (!queue_->closing) {
    queue_->closing = true;
    queue_->deadline = deadline;
    queue_->changed.notify_all();
  }
  // The writer owns its share of the queue, so a writer stuck on its reader
  // past the grace is simply left behind; the process is ending anyway.
  queue_->changed.wait_until(lock, std::max(deadline, Clock::now()) + kCloseGrace,
                             [&] { return queue_->finished; });
}

std::uint64_t RequestLog::DroppedLines() const {
  std::lock_guard lock(queue_->mutex);
  return queue_->dropped_total;
}

void RequestLog::Enqueue(std::string_view line) {
  std::lock_guard lock(queue_->mutex);
  if (queue_->closing || queue_->queued_bytes + line.size() > queue_->max_queued_bytes) {
    ++queue_->dropped;
    ++queue_->dropped_total;
    return;
  }
  const bool was_empty = queue_->queued_bytes == 0;
  queue_->queued.append(line);
  queue_->queued_bytes += line.size();
  // The writer waits only on an empty queue; a busy one finds this line itself.
  if (was_empty) queue_->changed.notify_one();
}

std::string RequestLog::Printable(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0xF]);
    }
  }
  return out;
}

std::string RequestLog::Capped(std::string_view text, std::size_t max_chars) {
  // Each byte takes at most three characters, so this much is enough to fill the cap.
  std::string out = Printable(text.substr(0, max_chars));
  if (out.size() <= max_chars && text.size() <= max_chars) return out;
  std::size_t cut = max_chars;
  // Never half an escape.
  if (cut >= 1 && out[cut - 1] == '%') {
    cut -= 1;
  } else if (cut >= 2 && out[cut - 2] == '%') {
    cut -= 2;
  }
  out.resize(cut);
  return out + "...[cut:" + std::to_string(text.size()) + "]";
}

namespace {

// `text` as Capped() gives it, appended to `line`; most are printable and
// short, and go as they are.
void AppendCapped(std::string& line, std::string_view text, std::size_t max_chars) {
  const bool plain =
      text.size() <= max_chars && std::all_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) > 0x20 && static_cast<unsigned char>(c) < 0x7F;
      });
  if (text.empty()) {
    line.push_back('-');
  } else if (plain) {
    line.append(text);
  } else {
    line.append(RequestLog::Capped(text, max_chars));
  }
}

// `number`, or "-" when it is below 0 (not known).
void AppendNumber(std::string& line, long long number) {
  if (number < 0) {
    line.push_back('-');
    return;
  }
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  line.append(digits, end);
}

}  // namespace

void RequestLog::Write(std::string_view method, std::string_view target, int status,
                       std::size_t body_bytes, long long micros) {
  // Made in a buffer the thread keeps, and copied into the queue's.
  thread_local std::string line;
  line.clear();
  AppendCapped(line, method, kMaxMethodChars);
  line.push_back(' ');
  AppendCapped(line, target, kMaxTargetChars);
  line.push_back(' ');
  AppendNumber(line, status);
  line.push_back(' ');
  AppendNumber(line, static_cast<long long>(body_bytes));
  line.append("B ");
  AppendNumber(line, micros);
  line.append("us\n");
  Enqueue(line);
}

void RequestLog::Note(std::string_view line) {
  std::string text = "catalogue-service: ";
  const std::string_view shown = line.substr(0, kMaxNoteChars);
  for (const char c : shown) {
    // Spaces stay, as in any sentence; what could break the line does not.
    const auto byte = static_cast<unsigned char>(c);
    text += byte < 0x20 || byte == 0x7F ? Printable(std::string_view(&c, 1)) : std::string(1, c);
  }
  if (shown.size() < line.size()) text += "...[cut:" + std::to_string(line.size()) + "]";
  text.push_back('\n');
  Enqueue(text);
}

}  // namespace quorvel::service
