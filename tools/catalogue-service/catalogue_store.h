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

#include "catalogue-service/catalogue_entry.h"
#include "catalogue-service/match_cache.h"
#include "catalogue-service/row_cache.h"

namespace quorvel::service {

class SearchIndex;

// One page of a listing and the number of entries the request matches in all.
struct ListingPage {
  std::vector<EntryPointer> entries;
  std::int64_t matches = 0;
};

// Answers listing requests from a catalogue database opened read-only.  Each
// request runs in one read transaction on a connection of its own, so requests
// are served in parallel and an import in progress is either wholly seen or
// not at all.  Every statement is prepared; values are only ever bound.
//
// An import replaces the database file whole (see CatalogueWriter): the next
// request opens the new file, and connections to the old one are dropped.
//
// What has been worked out or read (the search index, match lists, entries)
// is kept in memory for the catalogue generation it came from; the first
// request that sees a newer generation, after an import, starts afresh.
//
// Order: newest UpdateTime first, then in order of first import.  A term
// matches an entry whose Category equals it or whose Title contains it, ASCII
// letters compared without regard to case; the empty term matches everything.
class CatalogueStore {
 public:
  // A file as the file system knows it (device and inode).
  struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileId&) const = default;
  };

  struct Limits {
    std::size_t cached_lists = 1024;
    std::size_t cached_match_rows = 4'000'000;
    std::size_t cached_entry_bytes = std::size_t{128} << 20;
  };

  // Throws StoreError when `path` cannot be opened or is not a catalogue.
  explicit CatalogueStore(std::string path);
  CatalogueStore(std::string path, Limits limits);
  ~CatalogueStore();
  CatalogueStore(const CatalogueStore&) = delete;
  CatalogueStore& operator=(const CatalogueStore&) = delete;

  // Entries of `page` (from 1) at `page_size` a page; no entries past the end.
  // Throws StoreError when the database fails.
  ListingPage Page(std::string_view term, std::int32_t page, int page_size);

  std::optional<CatalogueEntry> FindEntry(std::string_view entry_id);
  std::int64_t EntryCount();

  // Gets ready for a first burst of requests: opens `readers` connections
  // (preparing their statements takes a while, and every request in parallel
  // needs one), builds the search index and works out the whole catalogue and
  // up to `max_categories` of its categories.
  void WarmUp(std::size_t readers, std::size_t max_categories);

 private:
  class Reader;
  class Lease;

  std::unique_ptr<Reader> TakeReader();
  void ReturnReader(std::unique_ptr<Reader> reader);
  std::shared_ptr<const SearchIndex> Index(Reader& reader, std::int64_t generation);
  std::shared_ptr<const MatchList> Matches(Reader& reader, std::int64_t generation,
                                           const std::string& key);

  using PendingMatches = std::shared_future<std::shared_ptr<const MatchList>>;

  const std::string path_;
  MatchCache cache_;
  RowCache rows_;
  std::mutex index_build_mutex_;
  std::mutex index_mutex_;
  std::shared_ptr<const SearchIndex> index_;
  std::int64_t index_generation_ = -1;
  std::mutex pending_mutex_;
  std::map<std::pair<std::int64_t, std::string>, PendingMatches> pending_;
  std::mutex readers_mutex_;
  std::vector<std::unique_ptr<Reader>> idle_readers_;
};

}  // namespace quorvel::service
