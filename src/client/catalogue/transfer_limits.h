#pragma once

#include <chrono>
#include <cstdint>

namespace quorvel::catalogue {

// How long and how large one fetch may grow, the same on every platform.
struct TransferLimits {
  std::chrono::milliseconds stall{20000};  // no byte and no header for this long
  std::chrono::milliseconds total{60000};  // the whole fetch
  int max_redirects = 5;
  std::int64_t max_body_bytes = std::int64_t{64} << 20;
};

}  // namespace quorvel::catalogue
