#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/store/catalogue_entry.h"
#include "service/store/catalogue_file_state.h"
#include "service/store/catalogue_identity.h"
#include "service/store/match_cache.h"

namespace quorvel::service {

class RowStore;
class SearchIndex;

// One page of a listing, as rows of the catalogue held in memory for a reply
// built straight from them, and the number of entries the request matches in all.
struct ListingRows {
  std::shared_ptr<const RowStore> store;              // keeps the rows alive while they are used
  std::shared_ptr<const CatalogueIdentity> identity;  // of the catalogue the rows come from
  std::vector<std::size_t> rows;
  std::int64_t matches = 0;
};

// Answers listing requests from a catalogue database opened read-only.  Every
// statement is prepared; values are only ever bound.
//
// Listings and download pages are served from memory: the search index and
// every entry, read in one read transaction under SQLite's ordinary locking,
// so only committed rows are ever read, whether the file has a write-ahead
// log or a rollback journal.  Every request looks at the file and its log
// (CatalogueFileState, two stat calls), so the request after an import, or
// after an edit committed in place by another program, loads and serves the
// new content, and the old one's memory is given back.  A load checks the
// schema version as start-up does.
//
// When a load cannot be done (a writer holds the file, the file is gone or of
// another schema), the catalogue loaded before goes on serving and the load is
// tried again a moment later; the reason goes to the notices, once.
//
// Every load is numbered, and match lists are kept for the load they came
// from: the first request on a newer load starts afresh.  Nothing read from
// the file can make two loads look alike, however its counters restart.
//
// Order: newest UpdateTime first, then in order of first import.  A term
// matches an entry whose Category equals it or whose Title contains it, ASCII
// letters compared without regard to case; the empty term matches everything.
class CatalogueStore {
 public:
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
  // Throws StoreError when there is no catalogue to serve.
  ListingRows Rows(std::string_view term, std::int32_t page, int page_size);

  std::optional<CatalogueEntry> FindEntry(std::string_view entry_id);
  std::int64_t EntryCount();

  // What loading the catalogue held now took: the rows, and the search index
  // (taking each row's keys as it is read, then ordering and indexing them).
  // The index's trigram lists are built on a second thread while the rows are
  // read: `index_seconds` is what the index adds to the load's own thread,
  // `gram_thread_seconds` how long that second thread worked beside it.
  struct LoadCost {
    std::int64_t entries = 0;
    double rows_seconds = 0;
    std::size_t rows_bytes = 0;
    double index_seconds = 0;
    double gram_thread_seconds = 0;
    std::size_t index_bytes = 0;
  };
  LoadCost CurrentLoadCost();

  // The identity of the catalogue the path names now, loaded if it is not yet.
  // Throws StoreError when it cannot be loaded.
  std::shared_ptr<const CatalogueIdentity> Identity();

  // Gets ready for a first burst of requests: loads the catalogue and works
  // out the whole catalogue and up to `max_categories` of its categories.
  void WarmUp(std::size_t max_categories);

  // Where a load that fails says why, one line without its line end; called
  // under a lock of the store, so it must not call back.  Null: nowhere.
  void SetNotices(std::function<void(std::string_view)> notices);

 private:
  class Reader;
  using Clock = std::chrono::steady_clock;
  // One catalogue file as held in memory.
  struct Loaded {
    std::int64_t serial = 0;  // numbers the loads of this store, from 1
    CatalogueFileState file;  // as it was just before the load
    std::uint64_t commit_marks = 0;
    // Written so shortly before the load that a change within the same clock
    // tick would not show in `file`: from then on its commit marks are
    // compared once.  Zero when settled.
    Clock::time_point settles_at;
    std::shared_ptr<const CatalogueIdentity> identity;
    std::shared_ptr<const SearchIndex> index;
    std::shared_ptr<const RowStore> rows;
    LoadCost cost;
  };

  // The catalogue the path names now, loaded if it is not yet; the one loaded
  // before while a load cannot be done.
  std::shared_ptr<const Loaded> Current();
  // Reads the catalogue; called under load_mutex_.
  std::shared_ptr<const Loaded> Load(const CatalogueFileState& file, std::uint64_t marks);
  // The catalogue held, or StoreError; called under loaded_mutex_.
  std::shared_ptr<const Loaded> Held() const;
  // Whether `loaded` is still what `file` holds, as far as can be told without reading it.
  bool Unchanged(const Loaded& loaded, const CatalogueFileState& file) const;
  std::shared_ptr<const MatchList> Matches(const Loaded& catalogue, const std::string& key);

  using PendingMatches = std::shared_future<std::shared_ptr<const MatchList>>;

  const std::string path_;
  // Whether the catalogue has a write-ahead log to look at on every request.
  std::atomic<bool> keeps_log_{true};
  MatchCache cache_;
  std::mutex load_mutex_;
  // Guarded by load_mutex_:
  std::unique_ptr<Reader> reader_;
  std::int64_t loads_ = 0;
  std::function<void(std::string_view)> notices_;
  std::string last_failure_;  // empty after a load that worked
  std::mutex loaded_mutex_;
  // Guarded by loaded_mutex_:
  std::shared_ptr<const Loaded> loaded_;
  Clock::time_point retry_at_;
  std::string failure_;
  std::mutex pending_mutex_;
  std::map<std::pair<std::int64_t, std::string>, PendingMatches> pending_;
};

}  // namespace quorvel::service
