#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace quorvel::service {

// Replies ready to send, each in the coding one kind of client asked for, so
// that a hot page is built and compressed once and then only looked up.
// Bounded by `limit_bytes`: what an entry holds (its key, its body and the
// bookkeeping around them, counted generously) stays under the limit, the
// least recently used entries going first.  Split into shards with a lock
// each, so the serving threads rarely wait for one another.  `Value` must
// have `std::size_t Bytes() const`, what it holds besides the key.
//
// A key's scope is its text up to its first line end: the catalogue a reply
// was built from, or nothing for content that outlives every catalogue.
// KeepOnlyScope() lets a whole scope go at once, when its catalogue has been
// replaced and none of its replies can be asked for again.
template <typename Value>
class CompressedReplyCache {
 public:
  // Counted for each entry on top of its key and value: the map's node and
  // bucket, the list's node, the key's own buffer and the allocator's share.
  static constexpr std::size_t kEntryOverhead = 256;
  static constexpr std::size_t kShards = 16;

  explicit CompressedReplyCache(std::size_t limit_bytes) : shard_limit_(limit_bytes / kShards) {}
  CompressedReplyCache(const CompressedReplyCache&) = delete;
  CompressedReplyCache& operator=(const CompressedReplyCache&) = delete;

  // The entry under `key`, now the most recently used; null when there is
  // none.  Counted as a hit or a miss unless `counted` is false: a lookup
  // whose outcome is decided by a later one.
  std::shared_ptr<const Value> Find(std::string_view key, bool counted = true) {
    Shard& shard = ShardOf(key);
    std::lock_guard lock(shard.mutex);
    const auto found = shard.index.find(key);
    if (found == shard.index.end()) {
      if (counted) misses_.fetch_add(1, std::memory_order_relaxed);
      return nullptr;
    }
    shard.order.splice(shard.order.begin(), shard.order, found->second);
    if (counted) CountHit();
    return found->second->value;
  }
  void CountHit() { hits_.fetch_add(1, std::memory_order_relaxed); }

  // Keeps `value` under `key`, replacing what was there, and lets older
  // entries go until the shard is within its share of the limit.  A value
  // larger than that share is not kept.
  void Insert(std::string key, std::shared_ptr<const Value> value) {
    const std::size_t cost = key.size() + value->Bytes() + kEntryOverhead;
    if (cost > shard_limit_) return;
    Shard& shard = ShardOf(key);
    // Evicted values are released after the lock is let go: releasing the
    // last reference to a reply can cost more than the lookup itself.
    std::list<Entry> evicted;
    {
      std::lock_guard lock(shard.mutex);
      // Checked under the shard's lock: a scope let go meanwhile has either
      // been swept from this shard already, or is swept after this.
      if (!InCurrentScope(key)) return;
      if (const auto found = shard.index.find(key); found != shard.index.end()) {
        Unlink(shard, found->second, evicted);
      }
      shard.order.push_front(Entry{std::move(key), std::move(value), cost});
      const auto entry = shard.order.begin();
      shard.index.emplace(std::string_view(entry->key), entry);
      shard.bytes += cost;
      bytes_.fetch_add(cost, std::memory_order_relaxed);
      entries_.fetch_add(1, std::memory_order_relaxed);
      while (shard.bytes > shard_limit_) Unlink(shard, std::prev(shard.order.end()), evicted);
    }
  }

  // Lets go of every entry of a scope other than `scope` (but those of the
  // empty scope), and from now on keeps none that a request still under way
  // may offer for a scope let go.
  void KeepOnlyScope(std::string scope) {
    {
      std::lock_guard lock(scope_mutex_);
      scope_ = std::move(scope);
      scoped_ = true;
    }
    for (Shard& shard : shards_) {
      std::list<Entry> evicted;
      {
        std::lock_guard lock(shard.mutex);
        for (auto entry = shard.order.begin(); entry != shard.order.end();) {
          const auto next = std::next(entry);
          if (!InCurrentScope(entry->key)) Unlink(shard, entry, evicted);
          entry = next;
        }
      }
    }
  }

  std::size_t limit_bytes() const { return shard_limit_ * kShards; }
  // What the entries held count for, at most limit_bytes().
  std::size_t bytes() const { return bytes_.load(std::memory_order_relaxed); }
  std::size_t entries() const { return entries_.load(std::memory_order_relaxed); }
  std::uint64_t hits() const { return hits_.load(std::memory_order_relaxed); }
  std::uint64_t misses() const { return misses_.load(std::memory_order_relaxed); }

 private:
  struct Entry {
    std::string key;
    std::shared_ptr<const Value> value;
    std::size_t cost;
  };
  using Position = typename std::list<Entry>::iterator;
  struct Shard {
    std::mutex mutex;
    std::list<Entry> order;                                // most recently used first
    std::unordered_map<std::string_view, Position> index;  // views into order's keys
    std::size_t bytes = 0;
  };

  Shard& ShardOf(std::string_view key) {
    return shards_[std::hash<std::string_view>()(key) % kShards];
  }

  static std::string_view ScopeOf(std::string_view key) {
    return key.substr(0, std::min(key.find('\n'), key.size()));
  }

  bool InCurrentScope(std::string_view key) {
    const std::string_view scope = ScopeOf(key);
    if (scope.empty()) return true;
    std::lock_guard lock(scope_mutex_);
    return !scoped_ || scope == scope_;
  }

  void Unlink(Shard& shard, Position entry, std::list<Entry>& evicted) {
    shard.index.erase(std::string_view(entry->key));
    shard.bytes -= entry->cost;
    bytes_.fetch_sub(entry->cost, std::memory_order_relaxed);
    entries_.fetch_sub(1, std::memory_order_relaxed);
    evicted.splice(evicted.end(), shard.order, entry);
  }

  const std::size_t shard_limit_;
  std::array<Shard, kShards> shards_;
  // Taken after a shard's lock, never before.
  std::mutex scope_mutex_;
  std::string scope_;  // the scope kept, once KeepOnlyScope() was called
  bool scoped_ = false;
  std::atomic<std::size_t> bytes_{0};
  std::atomic<std::size_t> entries_{0};
  std::atomic<std::uint64_t> hits_{0};
  std::atomic<std::uint64_t> misses_{0};
};

}  // namespace quorvel::service
