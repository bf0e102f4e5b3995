#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace quorvel::service {

// One line a request on standard error: method, target as sent, status, body
// bytes and microseconds taken, "-" for what is not known.  Lines are written
// whole, so requests served in parallel never mix.
class RequestLog {
 public:
  // `micros` below 0: not timed.
  void Write(std::string_view method, std::string_view target, int status, std::size_t body_bytes,
             long long micros);

  // A line of its own, "catalogue-service: " and `line`, for what is not a
  // request: a catalogue that cannot be loaded, lines dropped.
  void Note(std::string_view line);

  // `text` with every byte that could break a log line or mislead a reader
  // shown as %XX.
  static std::string Printable(std::string_view text);

 private:
  std::mutex mutex_;
};

}  // namespace quorvel::service
