#pragma once

#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/store/catalogue_entry.h"
#include "service/store/match_cache.h"

namespace quorvel::service {

class RowStore;
class SearchIndex;

// One page of a listing, as rows of the catalogue held in memory for a reply
// built straight from them, and the number of entries the request matches in all.
struct ListingRows {
  std::shared_ptr<const RowStore> store;  // keeps the rows alive while they are used
  std::vector<std::size_t> rows;
  std::int64_t matches = 0;
};

// Answers listing requests from a catalogue database opened read-only.  Every
// statement is prepared; values are only ever bound.
//
// An import replaces the database file whole (see CatalogueWriter), so a
// catalogue file never changes once written.  Listings are therefore served
// from memory: the search index and every entry, read in one transaction the
// first time a file is seen, and kept as long as that file is the catalogue.
// Every listing request checks which file the path names (one stat), so the
// request after a completed import loads and serves the new file, and the old
// one's memory and connections are given back.  Download pages are read from
// the database, on a connection of the request's own.
//
// Match lists are kept for the catalogue generation they came from; the first
// request that sees a newer generation starts afresh.
//
// Order: newest UpdateTime first, then in order of first import.  A term
// matches an entry whose Category equals it or whose Title contains it, ASCII
// letters compared without regard to case; the empty term matches everything.
class CatalogueStore {
 public:
  // A file as the file system knows it: device and inode, and size and write
  // time in case a replaced file's inode is given to a later one.
  struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified_ns = 0;
    bool operator==(const FileId&) const = default;
  };

  struct Limits {
    std::size_t cached_lists = 1024;
    std::size_t cached_match_rows = 4'000'000;
  };

  // Throws StoreError when `path` cannot be opened or is not a catalogue.
  explicit CatalogueStore(std::string path);
  CatalogueStore(std::string path, Limits limits);
  ~CatalogueStore();
  CatalogueStore(const CatalogueStore&) = delete;
  CatalogueStore& operator=(const CatalogueStore&) = delete;

  // Rows of `page` (from 1) at `page_size` a page; no rows past the end.
  // Throws StoreError when the database fails.
  ListingRows Rows(std::string_view term, std::int32_t page, int page_size);

  std::optional<CatalogueEntry> FindEntry(std::string_view entry_id);
  std::int64_t EntryCount();

  // What loading the catalogue held now took: the rows, and the search index
  // (taking each row's keys as it is read, then ordering and indexing them).
  struct LoadCost {
    std::int64_t entries = 0;
    double rows_seconds = 0;
    std::size_t rows_bytes = 0;
    double index_seconds = 0;
    std::size_t index_bytes = 0;
  };
  LoadCost CurrentLoadCost();

  // Gets ready for a first burst of requests: opens `readers` connections
  // (preparing their statements takes a while, and every request in parallel
  // needs one), loads the catalogue and works out the whole catalogue and up
  // to `max_categories` of its categories.
  void WarmUp(std::size_t readers, std::size_t max_categories);

 private:
  class Reader;
  class Lease;
  // One catalogue file as held in memory.
  struct Loaded {
    FileId file;
    std::int64_t generation = 0;
    std::shared_ptr<const SearchIndex> index;
    std::shared_ptr<const RowStore> rows;
    LoadCost cost;
  };

  std::unique_ptr<Reader> TakeReader();
  void ReturnReader(std::unique_ptr<Reader> reader);
  // The catalogue the path names now, loaded if it is not yet.
  std::shared_ptr<const Loaded> Current();
  std::shared_ptr<const MatchList> Matches(const Loaded& catalogue, const std::string& key);

  using PendingMatches = std::shared_future<std::shared_ptr<const MatchList>>;

  const std::string path_;
  MatchCache cache_;
  std::mutex load_mutex_;
  std::mutex loaded_mutex_;
  std::shared_ptr<const Loaded> loaded_;
  std::mutex pending_mutex_;
  std::map<std::pair<std::int64_t, std::string>, PendingMatches> pending_;
  std::mutex readers_mutex_;
  std::vector<std::unique_ptr<Reader>> idle_readers_;
};

}  // namespace quorvel::service
