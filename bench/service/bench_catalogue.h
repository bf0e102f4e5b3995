#pragma once

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "service/store/seed_catalogue.h"

namespace quorvel::service::bench {

// Entries per category: the seed's proportions scaled to `total`.
inline std::array<int, 18> ScaledCounts(int total) {
  std::array<int, 18> counts{};
  int given = 0;
  for (std::size_t t = 0; t < counts.size(); ++t) {
    counts[t] =
        static_cast<int>(static_cast<long long>(kSeedCountPerTerm[t]) * total / kSeedEntryCount);
    given += counts[t];
  }
  counts[1] += total - given;
  return counts;
}

// `text` as a query value: letters, digits, "." and "-" as they are, every
// other byte in percent form.
inline std::string PercentEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= 'a' && byte <= 'z') || byte == '.' || byte == '-') {
      out.push_back(c);
    } else {
      out += {'%', kHex[byte >> 4], kHex[byte & 15]};
    }
  }
  return out;
}

// The p-th percentile (0 to 100) of `sorted`.
inline double Percentile(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) return 0;
  const std::size_t index = static_cast<std::size_t>(p / 100.0 * (sorted.size() - 1) + 0.5);
  return sorted[std::min(index, sorted.size() - 1)];
}

}  // namespace quorvel::service::bench
