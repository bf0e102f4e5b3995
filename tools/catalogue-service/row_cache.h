#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <unordered_map>
#include <vector>

#include "catalogue-service/catalogue_entry.h"

namespace quorvel::service {

// Entries already read from the database, by row number, so that a page is
// mostly assembled from memory instead of twenty B-tree lookups.  Bounded in
// bytes: when full, entries picked arbitrarily make room.  Entries belong to a
// catalogue generation, as in MatchCache.  Safe to use from several threads.
class RowCache {
 public:
  explicit RowCache(std::size_t max_bytes);

  // For each of `seqs`, the cached entry or null, in `found` (same length).
  void Find(std::int64_t generation, std::span<const std::int64_t> seqs,
            std::span<EntryPointer> found);
  void Insert(std::int64_t generation, std::span<const std::int64_t> seqs,
              std::span<const EntryPointer> entries);

  std::size_t BytesHeld() const;

 private:
  static std::size_t SizeOf(const CatalogueEntry& entry);
  bool AdoptGeneration(std::int64_t generation);

  const std::size_t max_bytes_;
  mutable std::mutex mutex_;
  std::int64_t generation_ = 0;
  std::size_t bytes_held_ = 0;
  std::unordered_map<std::int64_t, EntryPointer> entries_;
};

}  // namespace quorvel::service
