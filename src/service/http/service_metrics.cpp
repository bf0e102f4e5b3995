#include "service/http/service_metrics.h"

#include <algorithm>
#include <cstdio>

namespace quorvel::service {
namespace {

constexpr const char* kKindNames[] = {"listing", "download", "page", "other"};
constexpr const char* kCodingNames[] = {"identity", "gzip", "br"};

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

// A label value with backslash, quote and line end escaped.
std::string LabelValue(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    if (c == '\n') {
      out += "\\n";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

void Head(std::string& out, const char* name, const char* type, const char* help) {
  out.append("# HELP ").append(name).append(" ").append(help).append("\n");
  out.append("# TYPE ").append(name).append(" ").append(type).append("\n");
}

}  // namespace

std::size_t ServiceMetrics::SlotOfThisThread() {
  static std::atomic<std::size_t> next{0};
  thread_local const std::size_t slot = next.fetch_add(1, std::memory_order_relaxed) % kSlots;
  return slot;
}

void ServiceMetrics::RequestDone(RequestKind kind, int status, std::chrono::microseconds taken,
                                 std::size_t body_bytes, ContentCoding coding) {
  Slot& slot = slots_[SlotOfThisThread()];
  const std::size_t status_class = status < 0 ? kClasses - 1
                                   : status >= 100 && status < 600
                                       ? static_cast<std::size_t>(status / 100 - 1)
                                       : 4;
  slot.requests[static_cast<std::size_t>(kind) * kClasses + status_class].fetch_add(
      1, std::memory_order_relaxed);
  const double seconds = static_cast<double>(taken.count()) / 1e6;
  std::size_t bucket = 0;
  while (bucket < kLatencyBounds.size() && seconds > kLatencyBounds[bucket]) ++bucket;
  slot.latency[bucket].fetch_add(1, std::memory_order_relaxed);
  slot.latency_micros.fetch_add(
      static_cast<std::uint64_t>(std::max<std::int64_t>(taken.count(), 0)),
      std::memory_order_relaxed);
  slot.body_bytes[static_cast<std::size_t>(coding)].fetch_add(body_bytes,
                                                              std::memory_order_relaxed);
}

std::string ServiceMetrics::Render(const Holdings& holdings) const {
  const auto total = [this](auto member, std::size_t index) {
    std::uint64_t sum = 0;
    for (const Slot& slot : slots_) sum += (slot.*member)[index].load(std::memory_order_relaxed);
    return sum;
  };
  std::string out;
  Head(out, "quorvel_catalogue_requests_total", "counter",
       "Requests answered, by what they asked for and the class of their status; \"unsent\": the "
       "connection ended before the reply was sent whole.");
  for (std::size_t kind = 0; kind < kKinds; ++kind) {
    for (std::size_t status_class = 0; status_class < kClasses; ++status_class) {
      out.append("quorvel_catalogue_requests_total{kind=\"")
          .append(kKindNames[kind])
          .append("\",status=\"")
          .append(status_class + 1 < kClasses ? std::to_string(status_class + 1) + "xx"
                                              : std::string("unsent"))
          .append("\"} ")
          .append(std::to_string(total(&Slot::requests, kind * kClasses + status_class)))
          .append("\n");
    }
  }
  Head(out, "quorvel_catalogue_request_duration_seconds", "histogram",
       "Time from a request's first line to the end of its reply.");
  std::uint64_t cumulative = 0;
  for (std::size_t bucket = 0; bucket <= kLatencyBounds.size(); ++bucket) {
    cumulative += total(&Slot::latency, bucket);
    out.append("quorvel_catalogue_request_duration_seconds_bucket{le=\"")
        .append(bucket < kLatencyBounds.size() ? Number(kLatencyBounds[bucket]) : "+Inf")
        .append("\"} ")
        .append(std::to_string(cumulative))
        .append("\n");
  }
  std::uint64_t micros = 0;
  for (const Slot& slot : slots_) micros += slot.latency_micros.load(std::memory_order_relaxed);
  out.append("quorvel_catalogue_request_duration_seconds_sum ")
      .append(Number(static_cast<double>(micros) / 1e6))
      .append("\nquorvel_catalogue_request_duration_seconds_count ")
      .append(std::to_string(cumulative))
      .append("\n");
  Head(out, "quorvel_catalogue_response_body_bytes_total", "counter",
       "Body bytes sent, by content coding.");
  for (std::size_t coding = 0; coding < kContentCodings; ++coding) {
    out.append("quorvel_catalogue_response_body_bytes_total{coding=\"")
        .append(kCodingNames[coding])
        .append("\"} ")
        .append(std::to_string(total(&Slot::body_bytes, coding)))
        .append("\n");
  }
  const auto gauge = [&out](const char* name, const char* type, const char* help,
                            const std::string& value) {
    Head(out, name, type, help);
    out.append(name).append(" ").append(value).append("\n");
  };
  gauge("quorvel_catalogue_open_connections", "gauge", "Client connections open now.",
        std::to_string(open_connections_.load(std::memory_order_relaxed)));
  gauge("quorvel_catalogue_loaded", "gauge", "1 while a catalogue is loaded and served.",
        holdings.catalogue_loaded ? "1" : "0");
  gauge("quorvel_catalogue_rows", "gauge", "Entries of the catalogue served.",
        std::to_string(holdings.rows));
  Head(out, "quorvel_catalogue_identity_info", "gauge",
       "The identity of the catalogue served, as its entity tags begin.");
  if (holdings.catalogue_loaded) {
    out.append("quorvel_catalogue_identity_info{identity=\"")
        .append(LabelValue(holdings.identity))
        .append("\"} 1\n");
  }
  gauge("quorvel_catalogue_log_lines_dropped_total", "counter",
        "Request log lines dropped because the log could not keep up.",
        std::to_string(holdings.dropped_log_lines));
  gauge("quorvel_catalogue_reply_cache_bytes", "gauge", "Memory the ready replies hold.",
        std::to_string(holdings.cache_bytes));
  gauge("quorvel_catalogue_reply_cache_limit_bytes", "gauge",
        "What the ready replies may hold at most.", std::to_string(holdings.cache_limit_bytes));
  gauge("quorvel_catalogue_reply_cache_entries", "gauge", "Ready replies held.",
        std::to_string(holdings.cache_entries));
  gauge("quorvel_catalogue_reply_cache_hits_total", "counter",
        "Requests answered from a ready reply.", std::to_string(holdings.cache_hits));
  gauge("quorvel_catalogue_reply_cache_misses_total", "counter",
        "Requests whose reply had to be built.", std::to_string(holdings.cache_misses));
  return out;
}

}  // namespace quorvel::service
