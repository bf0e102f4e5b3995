#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace quorvel::service {

// One line a request: method, target as sent, status, body bytes and
// microseconds taken, "-" for what is not known; and lines of its own for
// what is not a request.  Lines are written whole, so requests served in
// parallel never mix.
//
// Serving never waits for the log: lines go into a bounded queue that a
// thread of the log's own writes out, never blocking on a pipe or terminal
// that is not read.  When the queue is full a line is dropped and counted,
// and once the writer has caught up one line says how many were dropped.
// Each line is capped: the target at kMaxTargetChars of its printable form,
// cut with a marker that says how long it was.
class RequestLog {
 public:
  static constexpr std::size_t kMaxTargetChars = 1024;
  static constexpr std::size_t kMaxQueuedBytes = std::size_t{1} << 20;

  // Writes to the descriptor `fd` (standard error unless a test says otherwise).
  explicit RequestLog(int fd = 2, std::size_t max_queued_bytes = kMaxQueuedBytes);
  // Close(now) unless closed already.
  ~RequestLog();
  RequestLog(const RequestLog&) = delete;
  RequestLog& operator=(const RequestLog&) = delete;

  // `status` below 0: no reply was sent whole; `micros` below 0: not timed.
  void Write(std::string_view method, std::string_view target, int status, std::size_t body_bytes,
             long long micros);
  // A line of its own, "catalogue-service: " and `line`, for what is not a
  // request: a catalogue that cannot be loaded, lines dropped.
  void Note(std::string_view line);

  // Writes out what is queued until `deadline`, and after it only what can be
  // written without waiting; the rest is dropped.  Then the writer stops.
  // Returns by `deadline` and a moment, whatever the log's reader does.
  void Close(std::chrono::steady_clock::time_point deadline);

  // Lines dropped since the log was made, for the metrics.
  std::uint64_t DroppedLines() const;

  // `text` with every byte that could break a log line or mislead a reader
  // shown as %XX.
  static std::string Printable(std::string_view text);
  // Printable(text) cut to `max_chars`, then "...[cut:N]" with N the bytes of
  // `text`, when it is longer.
  static std::string Capped(std::string_view text, std::size_t max_chars);

 private:
  struct Queue;
  void Enqueue(std::string_view line);

  std::shared_ptr<Queue> queue_;  // shared with the writer thread, which may outlive this
};

}  // namespace quorvel::service
