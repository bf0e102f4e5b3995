#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "service/store/catalogue_entry.h"
#include "service/store/catalogue_file_state.h"
#include "service/store/catalogue_identity.h"
#include "service/store/catalogue_reader.h"
#include "service/store/folder_watch.h"
#include "service/store/match_cache.h"

namespace quorvel::service {

class RowStore;
class SearchIndex;

// The catalogue an answer comes from.
struct AnswerSource {
  std::shared_ptr<const CatalogueIdentity> identity;
  // Its file holds another catalogue by now, which is being loaded: the
  // answer stands only until that one takes over, so no cache may keep it.
  bool replaced = false;
};

// One page of a listing, as rows of the catalogue held in memory for a reply
// built straight from them, and the number of entries the request matches in all.
struct ListingRows {
  std::shared_ptr<const RowStore> store;              // keeps the rows alive while they are used
  std::shared_ptr<const CatalogueIdentity> identity;  // of the catalogue the rows come from
  bool replaced = false;                              // as AnswerSource::replaced
  std::vector<std::size_t> rows;
  std::int64_t matches = 0;
};

// Answers listing requests from a catalogue database opened read-only.  Every
// statement is prepared; values are only ever bound.
//
// Listings and download pages are served from memory: the search index and
// every entry, read in one read transaction under SQLite's ordinary locking
// (CatalogueReader), so only committed rows are ever read, whether the file
// has a write-ahead log or a rollback journal.  A load checks the schema
// version as start-up does.
//
// The store watches the file's folder (FolderWatch), and requests look at the
// file and its log (CatalogueFileState, two stat calls) once a millisecond as
// well, for folders that cannot be watched: the first request after a
// millisecond has passed looks, the others take the catalogue held.  Whoever
// finds them changed since the catalogue held was loaded (an import, an edit
// committed in place by another program), the watch or a request, starts a
// load of the new content on a thread of the store's own, at once, and from
// then on until the load is done every answer from the catalogue held says
// that it is being replaced.  Requests are answered from the catalogue held
// while the load runs:
// no request waits for a load while there is a catalogue to answer from.  The
// new catalogue takes over the moment its load is complete: every request
// that takes its catalogue from then on gets it, never the old one again,
// and the old one's memory is given back once the last request answering
// from it is done.  Each request takes its catalogue once, so its reply and
// that reply's identity come from one catalogue.  Only when there is nothing
// to answer from (at start-up, or after a load failed while reading) does a
// request wait for the load.
//
// When a load cannot be done (a writer holds the file, the file is gone or of
// another schema), the catalogue loaded before goes on serving and the load is
// tried again a moment later, with or without requests; the reason goes to the
// notices, once.  A load that fails while reading a catalogue of ours (a
// broken file, want of memory) lets the catalogue held go as well.
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
  // Throws StoreError when there is no catalogue to serve.  So do the others.
  ListingRows Rows(std::string_view term, std::int32_t page, int page_size);

  // The catalogue that answers now, taken once for a request: one whose
  // reply is kept ready needs no more of it than this, and one whose reply
  // must be built gets its rows from the same catalogue (Rows below), so that
  // a reply and its identity always come from one catalogue.
  struct Taken {
    std::shared_ptr<const CatalogueIdentity> identity;
    bool replaced = false;  // as AnswerSource::replaced
    // Some entry's download addresses are made absolute for the origin.
    bool takes_origin = false;
    std::shared_ptr<const void> catalogue;  // what Rows() reads
  };
  Taken Take();
  ListingRows Rows(const Taken& taken, std::string_view term, std::int32_t page, int page_size);

  // The entry whose EntryId is `entry_id`, if any.  `source`, unless null,
  // gets the catalogue it was looked up in, which may have taken over since
  // an earlier call of Identity().
  std::optional<CatalogueEntry> FindEntry(std::string_view entry_id,
                                          AnswerSource* source = nullptr);
  // The entries of the catalogue that answers now; `identity`, unless null,
  // gets that catalogue's identity.
  std::int64_t EntryCount(std::shared_ptr<const CatalogueIdentity>* identity = nullptr);

  // What loading the catalogue held now took.
  using LoadCost = CatalogueLoadCost;
  LoadCost CurrentLoadCost();

  // The identity of the catalogue that answers now.
  std::shared_ptr<const CatalogueIdentity> Identity();

  // Gets ready for a first burst of requests: loads the catalogue and works
  // out the whole catalogue and up to `max_categories` of its categories.
  void WarmUp(std::size_t max_categories);

  // Where a load says what it loaded, or why it failed: one line without its
  // line end.  Called under a lock of the store, so it must not call back; a
  // load that works takes over only once it returns.  Null: nowhere.
  void SetNotices(std::function<void(std::string_view)> notices);

  // Told the identity of each catalogue that takes over, just after it has,
  // or null when a load failed in a way that lets the catalogue held go with
  // nothing to take over.  Called under the same lock as the notices.  Null:
  // nobody.
  void SetTakeovers(std::function<void(const CatalogueIdentity*)> takeovers);

 private:
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

  // The catalogue that answers now: the one held, or the first one loaded;
  // and whether it is being replaced.
  struct Answering {
    std::shared_ptr<const Loaded> catalogue;
    bool replaced = false;
  };
  Answering Current();
  // Looks at the file now, as a request would; the folder watch calls it.
  void LookNow();
  // Starts a load in the background when `file` differs from what is held
  // and no load runs or waits for its retry; called under loaded_mutex_.
  void LoadIfChanged(const CatalogueFileState& file);
  // Asks the refresher thread for a Refresh(), starting it the first time;
  // called under loaded_mutex_.
  void RefreshInBackground();
  // The refresher thread.
  void RunRefresher();
  // Loads the file unless the catalogue held still stands for it, and makes
  // the result the catalogue held; a failure is kept for Held() and the next
  // try.  Called under load_mutex_; never throws.
  void Refresh();
  // Reads the catalogue; called under load_mutex_.
  std::shared_ptr<const Loaded> Load(const CatalogueFileState& file, std::uint64_t marks);
  // Calls the takeover listener, if any; called under load_mutex_.
  void TellTakeover(const CatalogueIdentity* identity);
  // The catalogue held, or StoreError; called under loaded_mutex_.
  std::shared_ptr<const Loaded> Held() const;
  // Whether `loaded` is still what `file` holds, as far as can be told without reading it.
  bool Unchanged(const Loaded& loaded, const CatalogueFileState& file) const;
  std::shared_ptr<const MatchList> Matches(const Loaded& catalogue, const std::string& key);

  // A term being worked out, and whoever waits for it: all of it under
  // pending_mutex_.  Only a term someone waits for costs a wake-up.
  struct PendingMatches {
    std::condition_variable done;
    int waiting = 0;
    bool finished = false;
    std::shared_ptr<const MatchList> matches;
    std::exception_ptr failure;
  };

  const std::string path_;
  // Whether the catalogue has a write-ahead log to look at as well.
  std::atomic<bool> keeps_log_{true};
  // When a request next looks at the file, on Clock's count.  A look costs
  // two stat calls, several microseconds on a long path, where everything
  // else a cached reply needs costs a few: one look a millisecond is enough,
  // as a change is served only once its load is done, which takes longer.
  static constexpr std::chrono::milliseconds kLookEvery{1};
  std::atomic<Clock::rep> next_look_{0};
  MatchCache cache_;
  std::mutex load_mutex_;
  // Guarded by load_mutex_:
  std::unique_ptr<CatalogueReader> reader_;
  std::int64_t loads_ = 0;
  std::function<void(std::string_view)> notices_;
  std::function<void(const CatalogueIdentity*)> takeovers_;
  std::string last_failure_;  // empty after a load that worked
  std::mutex loaded_mutex_;
  // Guarded by loaded_mutex_:
  std::shared_ptr<const Loaded> loaded_;
  Clock::time_point retry_at_;
  std::string failure_;
  bool refreshing_ = false;  // a Refresh() asked of the refresher, or under way
  // The file no longer holds the catalogue held (as last looked), and the one
  // it holds has not taken over yet.
  bool replaced_ = false;
  // The last Refresh() failed: the refresher tries again at retry_at_.
  bool retry_wanted_ = false;
  bool stopping_ = false;
  std::condition_variable refresh_asked_;
  // Set when the store goes: a load under way stops.
  std::atomic<bool> cancel_{false};
  std::thread refresher_;  // started by the first change the requests notice
  std::mutex pending_mutex_;
  std::map<std::pair<std::int64_t, std::string>, std::shared_ptr<PendingMatches>> pending_;
  // Calls LookNow() on changes; stopped first of all when the store goes.
  std::unique_ptr<FolderWatch> watch_;
};

}  // namespace quorvel::service
