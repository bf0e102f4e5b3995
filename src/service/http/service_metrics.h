#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "service/http/content_coding.h"

namespace quorvel::service {

// What a request asked for, as the metrics count it.
enum class RequestKind { kListing, kDownload, kPage, kOther };

// Counters an operator watches, in the Prometheus text format: requests by
// kind and status class, a latency histogram, body bytes by coding, open
// connections, and what the service holds (catalogue rows and identity, the
// reply cache, log lines dropped).  Counting is a few relaxed atomic adds in
// one of several slots picked by thread, so serving threads do not contend
// for one cache line.  Safe from any thread.
class ServiceMetrics {
 public:
  static constexpr std::array<double, 14> kLatencyBounds = {
      0.0001, 0.00025, 0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5};

  // What the service holds when the metrics are read.
  struct Holdings {
    bool catalogue_loaded = false;
    std::int64_t rows = 0;
    std::string identity;
    std::uint64_t dropped_log_lines = 0;
    std::size_t cache_bytes = 0;
    std::size_t cache_limit_bytes = 0;
    std::size_t cache_entries = 0;
    std::uint64_t cache_hits = 0;
    std::uint64_t cache_misses = 0;
  };

  void ConnectionOpened() { open_connections_.fetch_add(1, std::memory_order_relaxed); }
  void ConnectionClosed() { open_connections_.fetch_sub(1, std::memory_order_relaxed); }
  // `status` below 0: the connection ended before the reply was sent whole.
  void RequestDone(RequestKind kind, int status, std::chrono::microseconds taken,
                   std::size_t body_bytes, ContentCoding coding);

  std::string Render(const Holdings& holdings) const;

 private:
  static constexpr std::size_t kKinds = 4;
  // 1xx to 5xx, then replies queued but not sent whole (status below 0).
  static constexpr std::size_t kClasses = 6;
  static constexpr std::size_t kSlots = 8;
  struct alignas(64) Slot {
    std::array<std::atomic<std::uint64_t>, kKinds * kClasses> requests{};
    std::array<std::atomic<std::uint64_t>, kLatencyBounds.size() + 1> latency{};
    std::atomic<std::uint64_t> latency_micros{0};
    std::array<std::atomic<std::uint64_t>, kContentCodings> body_bytes{};
  };

  static std::size_t SlotOfThisThread();

  std::array<Slot, kSlots> slots_;
  std::atomic<std::int64_t> open_connections_{0};
};

}  // namespace quorvel::service
