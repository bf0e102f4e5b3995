#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace quorvel::service {

// The entries a term matches, as row numbers in listing order.
using MatchList = std::vector<std::int64_t>;

// Remembers recent match lists, so that paging through a term scans the
// catalogue once rather than once per page.  Bounded in lists and in row
// numbers held; the least recently used list goes first.  Lists belong to one
// load of the catalogue, numbered by the store in the order of loading: the
// first sight of a newer load forgets them all.
// Safe to use from several threads.
class MatchCache {
 public:
  MatchCache(std::size_t max_lists, std::size_t max_rows);

  std::shared_ptr<const MatchList> Find(std::int64_t load, const std::string& key);
  void Insert(std::int64_t load, const std::string& key, std::shared_ptr<const MatchList> matches);

  std::size_t ListCount() const;

 private:
  struct Slot {
    std::string key;
    std::shared_ptr<const MatchList> matches;
  };

  // Forgets everything when `load` is newer; false when it is older than what
  // is held, so that nothing of an old catalogue is stored.
  bool AdoptLoad(std::int64_t load);

  const std::size_t max_lists_;
  const std::size_t max_rows_;
  mutable std::mutex mutex_;
  std::int64_t load_ = 0;
  std::size_t rows_held_ = 0;
  std::list<Slot> recent_;  // most recently used first
  std::unordered_map<std::string, std::list<Slot>::iterator> index_;
};

}  // namespace quorvel::service
