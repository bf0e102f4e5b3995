#include "service/store/catalogue_store.h"

#include <algorithm>
#include <span>
#include <system_error>
#include <utility>

#include "protocol/listing_reply_writer.h"
#include "service/store/ascii_fold.h"
#include "service/store/catalogue_reader.h"
#include "service/store/row_store.h"
#include "service/store/search_index.h"
#include "service/store/sqlite_handle.h"

namespace quorvel::service {
namespace {

// A file written this shortly before it was looked at may be written again
// within the same tick of the file system's clock, unseen by its write time
// (coarse file systems tick once a second or two).
constexpr std::int64_t kUnsettledNs = 2'000'000'000;

// A load that failed (a writer holds the file, the file is not a catalogue of
// ours) is not tried again sooner than this; the catalogue loaded before
// serves meanwhile.
constexpr auto kRetryDelay = std::chrono::milliseconds(250);
// With nothing loaded yet there is nothing to serve meanwhile, so the first
// load waits this long for a writer to finish.
constexpr int kFirstLoadPatienceMs = 5000;

std::int64_t WallClockNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

CatalogueStore::CatalogueStore(std::string path) : CatalogueStore(std::move(path), Limits{}) {}

CatalogueStore::CatalogueStore(std::string path, Limits limits)
    : path_(std::move(path)), cache_(limits.cached_lists, limits.cached_match_rows) {
  reader_ = std::make_unique<CatalogueReader>(path_);
  reader_->SetPatience(kFirstLoadPatienceMs);
  CatalogueReader::Transaction transaction(*reader_);
  reader_->CheckSchema();
}

CatalogueStore::~CatalogueStore() {
  // A load under way stops at its next look, and the refresher with it.
  cancel_ = true;
  {
    std::lock_guard lock(loaded_mutex_);
    stopping_ = true;
  }
  refresh_asked_.notify_all();
  if (refresher_.joinable()) refresher_.join();
}

void CatalogueStore::SetNotices(std::function<void(std::string_view)> notices) {
  std::lock_guard load(load_mutex_);
  notices_ = std::move(notices);
}

bool CatalogueStore::Unchanged(const Loaded& loaded, const CatalogueFileState& file) const {
  if (loaded.file != file) return false;
  return loaded.settles_at == Clock::time_point() || Clock::now() < loaded.settles_at;
}

std::shared_ptr<const CatalogueStore::Loaded> CatalogueStore::Held() const {
  if (loaded_ == nullptr) throw StoreError(failure_);
  return loaded_;
}

std::shared_ptr<const CatalogueStore::Loaded> CatalogueStore::Current() {
  constexpr Clock::rep kLookTicks = std::chrono::duration_cast<Clock::duration>(kLookEvery).count();
  const Clock::rep now = Clock::now().time_since_epoch().count();
  Clock::rep next = next_look_.load(std::memory_order_relaxed);
  if (now < next || !next_look_.compare_exchange_strong(next, now + kLookTicks)) {
    // Looked at moments ago, by this request's thread or another.
    std::lock_guard lock(loaded_mutex_);
    if (loaded_ != nullptr) return loaded_;
  }
  const CatalogueFileState file = CatalogueFileState::Observe(path_, keeps_log_);
  {
    std::lock_guard lock(loaded_mutex_);
    if (loaded_ != nullptr) {
      // The catalogue held answers, whatever the file holds by now: a change
      // starts a load in the background, whose result takes over once whole.
      if (!Unchanged(*loaded_, file) && !refreshing_ && Clock::now() >= retry_at_) {
        RefreshInBackground();
      }
      return loaded_;
    }
    if (Clock::now() < retry_at_) return Held();
  }
  // Nothing to serve: whoever asks waits for a load, one load at a time.
  std::lock_guard load(load_mutex_);
  {
    std::lock_guard lock(loaded_mutex_);
    if (loaded_ != nullptr || Clock::now() < retry_at_) return Held();
  }
  Refresh();
  std::lock_guard lock(loaded_mutex_);
  return Held();
}

void CatalogueStore::RefreshInBackground() {
  if (!refresher_.joinable()) {
    try {
      refresher_ = std::thread([this] { RunRefresher(); });
    } catch (const std::system_error& error) {
      // The catalogue held goes on serving; a later request tries again.
      retry_at_ = Clock::now() + kRetryDelay;
      failure_ = "cannot load " + path_ + ": " + error.what();
      return;
    }
  }
  refreshing_ = true;
  refresh_asked_.notify_all();
}

void CatalogueStore::RunRefresher() {
  std::unique_lock lock(loaded_mutex_);
  for (;;) {
    refresh_asked_.wait(lock, [this] { return refreshing_ || stopping_; });
    if (stopping_) return;
    lock.unlock();
    {
      std::lock_guard load(load_mutex_);
      Refresh();
    }
    lock.lock();
    refreshing_ = false;
  }
}

void CatalogueStore::Refresh() {
  std::string failure;
  try {
    const CatalogueFileState file = CatalogueFileState::Observe(path_, keeps_log_);
    // Read before the load, so that what is loaded is never older than what
    // they say: a commit in between only makes the next request load again.
    const std::uint64_t marks = CatalogueFileState::CommitMarks(path_);
    {
      std::lock_guard lock(loaded_mutex_);
      if (loaded_ != nullptr && Unchanged(*loaded_, file)) return;
      if (loaded_ != nullptr && loaded_->file == file && loaded_->commit_marks == marks) {
        // Written just before it was loaded, and nothing committed since: settled.
        auto settled = std::make_shared<Loaded>(*loaded_);
        settled->settles_at = Clock::time_point();
        loaded_ = settled;
        return;
      }
    }
    // Whether the log is worth a look from now on; if that changes, so does
    // `file`, and the load after this one looks again.
    keeps_log_ = CatalogueFileState::KeepsLog(path_);
    std::shared_ptr<const Loaded> loaded = Load(file, marks);
    if (notices_) {
      notices_("loaded " + path_ + (last_failure_.empty() ? "" : " again") + ": " +
               std::to_string(loaded->rows->size()) + " entries");
    }
    last_failure_.clear();
    // This is the moment the new catalogue takes over: every request that
    // takes its catalogue from here on gets it.  The one it replaces goes
    // once the requests still answering from it are done, and not under the
    // lock, as giving its memory back takes a while.
    std::lock_guard lock(loaded_mutex_);
    loaded.swap(loaded_);
    return;
  } catch (const StoreError& error) {
    failure = error.what();
  } catch (const std::bad_alloc&) {
    failure = "out of memory";
  } catch (const std::exception& error) {
    failure = error.what();
  }
  std::string notice;
  {
    std::lock_guard lock(loaded_mutex_);
    retry_at_ = Clock::now() + kRetryDelay;
    failure_ = "cannot load " + path_ + ": " + failure;
    // A writer may hold the file for long, so its every retry is not worth a line.
    if (failure != last_failure_ && !cancel_) {
      notice = failure_ + (loaded_ != nullptr ? "; serving the catalogue loaded before meanwhile"
                                              : "; nothing to serve meanwhile");
    }
  }
  last_failure_ = failure;
  if (!notice.empty() && notices_) notices_(notice);
}

std::shared_ptr<const CatalogueStore::Loaded> CatalogueStore::Load(const CatalogueFileState& file,
                                                                   std::uint64_t marks) {
  if (reader_ == nullptr || reader_->broken() || !reader_->Reads(file)) {
    reader_.reset();
    reader_ = std::make_unique<CatalogueReader>(path_);
  }
  bool serving = false;
  {
    std::lock_guard lock(loaded_mutex_);
    serving = loaded_ != nullptr;
  }
  reader_->SetPatience(serving ? 0 : kFirstLoadPatienceMs);
  auto loaded = std::make_shared<Loaded>();
  loaded->serial = ++loads_;
  loaded->file = file;
  loaded->commit_marks = marks;
  if (file.LatestWriteNs() > WallClockNs() - kUnsettledNs) {
    loaded->settles_at = Clock::now() + std::chrono::nanoseconds(kUnsettledNs);
  }
  CatalogueReader::Transaction transaction(*reader_);
  reader_->CheckSchema();
  loaded->identity = std::make_shared<const CatalogueIdentity>(
      CatalogueIdentity::Of(reader_->Stamp(), file, marks));
  // The catalogue held until now keeps serving beside this one until it is whole.
  auto index = std::make_shared<SearchIndex>();
  try {
    loaded->rows = reader_->Read(*index, loaded->cost, cancel_);
  } catch (...) {
    // The read lock is held and the file is a catalogue of ours, so this is a
    // broken file or a want of memory: what is held stands for content the
    // file no longer has, and goes (its memory with it) until a load works.
    std::shared_ptr<const Loaded> dropped;
    {
      std::lock_guard lock(loaded_mutex_);
      dropped.swap(loaded_);
    }
    throw;
  }
  loaded->index = std::move(index);
  return loaded;
}

CatalogueStore::LoadCost CatalogueStore::CurrentLoadCost() { return Current()->cost; }

std::shared_ptr<const CatalogueIdentity> CatalogueStore::Identity() { return Current()->identity; }

std::shared_ptr<const MatchList> CatalogueStore::Matches(const Loaded& catalogue,
                                                         const std::string& key) {
  const std::int64_t serial = catalogue.serial;
  if (std::shared_ptr<const MatchList> cached = cache_.Find(serial, key)) return cached;

  // A term nobody has asked for yet is often asked for by many clients at
  // once: one request works it out, the others wait for its result.
  const std::pair<std::int64_t, std::string> slot(serial, key);
  std::promise<std::shared_ptr<const MatchList>> promise;
  PendingMatches someone_elses;
  {
    std::lock_guard lock(pending_mutex_);
    if (const auto found = pending_.find(slot); found != pending_.end()) {
      someone_elses = found->second;
    } else {
      pending_.emplace(slot, promise.get_future().share());
    }
  }
  if (someone_elses.valid()) return someone_elses.get();

  std::shared_ptr<const MatchList> matches;
  try {
    matches = std::make_shared<const MatchList>(catalogue.index->Find(key));
    cache_.Insert(serial, key, matches);
    promise.set_value(matches);
  } catch (...) {
    promise.set_exception(std::current_exception());
    std::lock_guard lock(pending_mutex_);
    pending_.erase(slot);
    throw;
  }
  std::lock_guard lock(pending_mutex_);
  pending_.erase(slot);
  return matches;
}

ListingRows CatalogueStore::Rows(std::string_view term, std::int32_t page, int page_size) {
  const std::shared_ptr<const Loaded> catalogue = Current();
  const std::shared_ptr<const MatchList> matches = Matches(*catalogue, AsciiFold(term));

  ListingRows result;
  result.store = catalogue->rows;
  result.identity = catalogue->identity;
  result.matches = static_cast<std::int64_t>(matches->size());
  const std::int64_t first = protocol::FirstIndexOfPage(page, page_size);
  if (first >= result.matches) return result;
  const std::span<const std::int64_t> seqs(
      matches->data() + first,
      static_cast<std::size_t>(std::min<std::int64_t>(page_size, result.matches - first)));
  result.rows.reserve(seqs.size());
  for (const std::int64_t seq : seqs) {
    // Both come from the same file, so every match has its row.
    if (const std::size_t row = result.store->Find(seq); row != RowStore::kNone) {
      result.rows.push_back(row);
    }
  }
  return result;
}

std::optional<CatalogueEntry> CatalogueStore::FindEntry(
    std::string_view entry_id, std::shared_ptr<const CatalogueIdentity>* identity) {
  const std::shared_ptr<const Loaded> catalogue = Current();
  if (identity != nullptr) *identity = catalogue->identity;
  const std::size_t row = catalogue->rows->FindId(entry_id);
  if (row == RowStore::kNone) return std::nullopt;
  return catalogue->rows->Entry(row);
}

std::int64_t CatalogueStore::EntryCount(std::shared_ptr<const CatalogueIdentity>* identity) {
  const std::shared_ptr<const Loaded> catalogue = Current();
  if (identity != nullptr) *identity = catalogue->identity;
  return static_cast<std::int64_t>(catalogue->rows->size());
}

void CatalogueStore::WarmUp(std::size_t max_categories) {
  const std::shared_ptr<const Loaded> catalogue = Current();
  Matches(*catalogue, "");
  std::vector<std::string> keys;
  try {
    std::lock_guard load(load_mutex_);
    if (reader_ != nullptr) {
      CatalogueReader::Transaction transaction(*reader_);
      keys = reader_->CategoryKeys(max_categories);
    }
  } catch (const StoreError&) {
    // Only a head start: the categories are worked out when first asked for.
  }
  for (const std::string& key : keys) Matches(*catalogue, key);
}

}  // namespace quorvel::service
