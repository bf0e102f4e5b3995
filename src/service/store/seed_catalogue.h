#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "protocol/category_terms.h"
#include "service/store/catalogue_entry.h"

namespace quorvel::service {

// The category terms, in button order; written once for client and service.
using protocol::kCategoryTerms;

// How many seed entries each term of kCategoryTerms gets.  The spread is uneven
// on purpose so that, at 20 entries a page, the client meets every case; by
// button, with the pages each term fills:
//
//    1: 41 (3 pages)   2: 64 (4)   3: 40 (2, exactly full)   4: 21 (2, one over)
//    5: 20 (1, exactly full)   6: 13 (1)   7: 9 (1)   8: 1 (1)   9: 27 (2)
//   10: 0 (0)   11: 33 (2)   12: 0 (0)   13: 48 (3)   14: 6 (1)   15: 2 (1)
//   16: 4 (1)   17: 0 (0)   18: 1 (1)
//
// 330 entries in all, 17 pages.  Titles never contain another category's term,
// so a request for a term matches exactly the entries counted here.
inline constexpr std::array<int, 18> kSeedCountPerTerm = {41, 64, 40, 21, 20, 13, 9, 1, 27,
                                                          0,  33, 0,  48, 6,  2,  4, 0, 1};
inline constexpr int kSeedEntryCount = 330;

// Fixed so that every run, and every test that starts the service on a fresh
// database, sees the same catalogue.
inline constexpr std::uint64_t kSeedRandomSeed = 0x51756F7276656CULL;

// The bundled starter catalogue: made-up entries with EntryId "1" to "330",
// Chinese titles with some ASCII (several contain "C++"), one to four download
// links each pointing at this service's own /download/<id> page.  The same on
// every call.
std::vector<CatalogueEntry> SeedCatalogue();

// A made-up catalogue of the same kind with count_per_term[i] entries in
// kCategoryTerms[i], EntryIds counting from "1", deterministic in `seed`.
std::vector<CatalogueEntry> FictionalCatalogue(std::span<const int, 18> count_per_term,
                                               std::uint64_t seed);

}  // namespace quorvel::service
