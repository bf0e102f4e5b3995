#include "service/store/match_cache.h"

namespace quorvel::service {

MatchCache::MatchCache(std::size_t max_lists, std::size_t max_rows)
    : max_lists_(max_lists), max_rows_(max_rows) {}

bool MatchCache::AdoptLoad(std::int64_t load) {
  if (load < load_) return false;
  if (load > load_) {
    index_.clear();
    recent_.clear();
    rows_held_ = 0;
    load_ = load;
  }
  return true;
}

std::shared_ptr<const MatchList> MatchCache::Find(std::int64_t load, const std::string& key) {
  std::lock_guard lock(mutex_);
  if (!AdoptLoad(load)) return nullptr;
  const auto found = index_.find(key);
  if (found == index_.end()) return nullptr;
  recent_.splice(recent_.begin(), recent_, found->second);
  return found->second->matches;
}

void MatchCache::Insert(std::int64_t load, const std::string& key,
                        std::shared_ptr<const MatchList> matches) {
  if (matches == nullptr || matches->size() > max_rows_ || max_lists_ == 0) return;
  std::lock_guard lock(mutex_);
  if (!AdoptLoad(load) || index_.count(key) != 0) return;
  rows_held_ += matches->size();
  recent_.push_front(Slot{key, std::move(matches)});
  index_.emplace(key, recent_.begin());
  while (recent_.size() > max_lists_ || rows_held_ > max_rows_) {
    rows_held_ -= recent_.back().matches->size();
    index_.erase(recent_.back().key);
    recent_.pop_back();
  }
}

std::size_t MatchCache::ListCount() const {
  std::lock_guard lock(mutex_);
  return recent_.size();
}

}  // namespace quorvel::service
