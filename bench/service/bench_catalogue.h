#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::service::bench {

// Entries per category: the starter catalogue's proportions scaled to `total`.
std::array<int, 18> ScaledCounts(int total);

// Imports a made-up catalogue of exactly `entries` entries into `db` with the
// service at `service`, by way of a TSV file at `tsv`.  False, with the reason
// in `error`, when it fails.  `titles`, when given, gets the entries' distinct
// titles: search terms that each find a few entries.
bool ImportFictionalCatalogue(const std::string& service, const std::string& db,
                              const std::string& tsv, int entries, std::string* error,
                              std::vector<std::string>* titles = nullptr);

// `text` as a query value: letters, digits, "." and "-" as they are, every
// other byte in percent form.
std::string PercentEncode(std::string_view text);

// The p-th percentile (0 to 100) of `sorted`.
double Percentile(const std::vector<double>& sorted, double p);

}  // namespace quorvel::service::bench
