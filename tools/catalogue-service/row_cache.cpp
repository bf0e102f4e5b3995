#include "catalogue-service/row_cache.h"

namespace quorvel::service {

RowCache::RowCache(std::size_t max_bytes) : max_bytes_(max_bytes) {}

std::size_t RowCache::SizeOf(const CatalogueEntry& entry) {
  constexpr std::size_t kOverhead = sizeof(CatalogueEntry) + 64;  // node, control block
  return kOverhead + entry.category.size() + entry.title.size() + entry.licence_mode.size() +
         entry.update_time.size() + entry.download_links.size() + entry.entry_id.size();
}

bool RowCache::AdoptGeneration(std::int64_t generation) {
  if (generation < generation_) return false;
  if (generation > generation_) {
    entries_.clear();
    bytes_held_ = 0;
    generation_ = generation;
  }
  return true;
}

void RowCache::Find(std::int64_t generation, std::span<const std::int64_t> seqs,
                    std::span<EntryPointer> found) {
  std::lock_guard lock(mutex_);
  const bool current = AdoptGeneration(generation);
  for (std::size_t i = 0; i < seqs.size() && i < found.size(); ++i) {
    found[i] = nullptr;
    if (!current) continue;
    if (const auto it = entries_.find(seqs[i]); it != entries_.end()) found[i] = it->second;
  }
}

void RowCache::Insert(std::int64_t generation, std::span<const std::int64_t> seqs,
                      std::span<const EntryPointer> entries) {
  std::lock_guard lock(mutex_);
  if (!AdoptGeneration(generation)) return;
  for (std::size_t i = 0; i < seqs.size() && i < entries.size(); ++i) {
    if (entries[i] == nullptr) continue;
    const std::size_t size = SizeOf(*entries[i]);
    if (size > max_bytes_) continue;
    const auto [it, added] = entries_.try_emplace(seqs[i], entries[i]);
    if (!added) continue;
    bytes_held_ += size;
    while (bytes_held_ > max_bytes_) {
      auto victim = entries_.begin();
      if (victim == it) ++victim;  // keep what was just added
      if (victim == entries_.end()) break;
      bytes_held_ -= SizeOf(*victim->second);
      entries_.erase(victim);
    }
  }
}

std::size_t RowCache::BytesHeld() const {
  std::lock_guard lock(mutex_);
  return bytes_held_;
}

}  // namespace quorvel::service
