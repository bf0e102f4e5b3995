#pragma once

// Listings of the starter catalogue worked out here, independently of the
// service, a page of the store as whole entries, and the wait for a store's
// next catalogue.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "service/store/catalogue_store.h"
#include "service/store/row_store.h"
#include "service/store/seed_catalogue.h"

namespace quorvel::service {

// The seed in listing order: newest UpdateTime first, then in seed order.
inline std::vector<CatalogueEntry> SeedInListingOrder() {
  std::vector<CatalogueEntry> seed = SeedCatalogue();
  std::stable_sort(seed.begin(), seed.end(),
                   [](const auto& a, const auto& b) { return a.update_time > b.update_time; });
  return seed;
}

// Seed entries a term matches, by the rule the service promises (ASCII case aside).
inline std::vector<CatalogueEntry> SeedMatching(const std::string& term) {
  std::vector<CatalogueEntry> all = SeedInListingOrder();
  std::erase_if(all, [&](const CatalogueEntry& e) {
    return !term.empty() && e.category != term && e.title.find(term) == std::string::npos;
  });
  return all;
}

// One page of a listing as entries, and the number of entries the request matches in all.
struct ListingPage {
  std::vector<EntryPointer> entries;
  std::int64_t matches = 0;
};

inline ListingPage StorePage(CatalogueStore& store, std::string_view term, std::int32_t page,
                             int page_size) {
  const ListingRows rows = store.Rows(term, page, page_size);
  ListingPage result;
  result.matches = rows.matches;
  result.entries.reserve(rows.rows.size());
  for (const std::size_t row : rows.rows) {
    result.entries.push_back(std::make_shared<const CatalogueEntry>(rows.store->Entry(row)));
  }
  return result;
}

// The identity of the catalogue that answers once it is no longer `before`,
// ten seconds at most: a store answers from the catalogue it holds while it
// loads a changed file in the background.
inline CatalogueIdentity NextCatalogue(CatalogueStore& store, const CatalogueIdentity& before) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  CatalogueIdentity now = *store.Identity();
  while (now == before && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    now = *store.Identity();
  }
  return now;
}

}  // namespace quorvel::service
