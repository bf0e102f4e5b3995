#include "bench_catalogue.h"

#include <algorithm>
#include <fstream>
#include <unordered_set>

#include "service/store/seed_catalogue.h"
#include "service/store/tsv_import.h"
#include "service_process.h"

namespace quorvel::service::bench {

std::array<int, 18> ScaledCounts(int total) {
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

bool ImportFictionalCatalogue(const std::string& service, const std::string& db,
                              const std::string& tsv, int entries, std::string* error,
                              std::vector<std::string>* titles) {
  {
    std::ofstream out(tsv, std::ios::binary);
    std::unordered_set<std::string> seen;
    for (const auto& entry : FictionalCatalogue(ScaledCounts(entries), 20240601)) {
      out << FormatTsvLine(entry);
      if (titles != nullptr && seen.insert(entry.title).second) titles->push_back(entry.title);
    }
  }
  const auto imported = quorvel::testing::RunProgram(service, {"--db", db, "--import", tsv}, 600);
  if (imported.exit_code != 0) *error = "import failed: " + imported.err;
  return imported.exit_code == 0;
}

std::string PercentEncode(std::string_view text) {
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

double Percentile(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) return 0;
  const std::size_t index = static_cast<std::size_t>(p / 100.0 * (sorted.size() - 1) + 0.5);
  return sorted[std::min(index, sorted.size() - 1)];
}

}  // namespace quorvel::service::bench
