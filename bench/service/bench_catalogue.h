#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::service::bench {

// Entries per category: the starter catalogue's proportions scaled to `total`.
std::array<int, 18> ScaledCounts(int total);

// Imports a made-up catalogue of exactly `entries` entries (at least the
// starter catalogue's count; their EntryIds count from 1, so the starter
// entries are replaced) into `db` with the service itself, by way of a TSV
// file at `tsv`.  False, with the reason in `error`, when it fails.  `titles`,
// when given, gets the entries' distinct titles: search terms that each find
// a few entries.
bool ImportFictionalCatalogue(const std::string& service, const std::string& db,
                              const std::string& tsv, int entries, std::string* error,
                              std::vector<std::string>* titles = nullptr);

// `text` with everything but letters, digits, "." and "-" as %XX.
std::string PercentEncode(std::string_view text);

}  // namespace quorvel::service::bench
