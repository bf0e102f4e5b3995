#include "service/store/catalogue_store.h"

#include <algorithm>
#include <filesystem>
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
  reader_ = std::make_unique<CatalogueReader>(path_, kFirstLoadPatienceMs);
  {
    CatalogueReader::Transaction transaction(*reader_);
    reader_->CheckSchema();
  }
  // The file and its log; SQLite's other files beside it tell nothing new.
  const std::filesystem::path file(path_);
  const std::string name = file.filename().string();
  watch_ = std::make_unique<FolderWatch>(
      file.has_parent_path() ? file.parent_path().string() : std::string("."),
      std::vector<std::string>{name, name + "-wal"}, [this] { LookNow(); });
}

CatalogueStore::~CatalogueStore() {
  // Nothing may start a load from here on.
  watch_.reset();
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
  if (notices_ && !watch_->problem().empty()) {
    notices_(watch_->problem() + "; a new catalogue is noticed at a request");
  }
}

void CatalogueStore::SetTakeovers(std::function<void(const CatalogueIdentity*)> takeovers) {
  std::lock_guard load(load_mutex_);
  takeovers_ = std::move(takeovers);
}

void CatalogueStore::TellTakeover(const CatalogueIdentity* identity) {
  if (!takeovers_) return;
  try {
    takeovers_(identity);
  } catch (const std::exception&) {
    // Only a saving: what the listener would have let go goes in time anyway.
  }
}

bool CatalogueStore::Unchanged(const Loaded& loaded, const CatalogueFileState& file) const {
  if (loaded.file != file) return false;
  return loaded.settles_at == Clock::time_point() || Clock::now() < loaded.settles_at;
}

std::shared_ptr<const CatalogueStore::Loaded> CatalogueStore::Held() const {
  if (loaded_ == nullptr) throw StoreError(failure_);
  return loaded_;
}

CatalogueStore::Answering CatalogueStore::Current() {
  constexpr Clock::rep kLookTicks = std::chrono::duration_cast<Clock::duration>(kLookEvery).count();
  const Clock::rep now = Clock::now().time_since_epoch().count();
  Clock::rep next = next_look_.load(std::memory_order_relaxed);
  if (now < next || !next_look_.compare_exchange_strong(next, now + kLookTicks)) {
    // Looked at moments ago, by this request's thread or another.
    std::lock_guard lock(loaded_mutex_);
    if (loaded_ != nullptr) return {loaded_, replaced_};
  }
  const CatalogueFileState file = CatalogueFileState::Observe(path_, keeps_log_);
  {
    std::lock_guard lock(loaded_mutex_);
    if (loaded_ != nullptr) {
      // The catalogue held answers, whatever the file holds by now: a change
      // starts a load in the background, whose result takes over once whole.
      LoadIfChanged(file);
      return {loaded_, replaced_};
    }
    if (Clock::now() < retry_at_) return {Held(), false};
  }
  // Nothing to serve: whoever asks waits for a load, one load at a time.
  std::lock_guard load(load_mutex_);
  {
    std::lock_guard lock(loaded_mutex_);
    if (loaded_ != nullptr || Clock::now() < retry_at_) return {Held(), replaced_};
  }
  Refresh();
  std::lock_guard lock(loaded_mutex_);
  return {Held(), replaced_};
}

void CatalogueStore::LookNow() {
  const CatalogueFileState file = CatalogueFileState::Observe(path_, keeps_log_);
  std::lock_guard lock(loaded_mutex_);
  LoadIfChanged(file);
}

void CatalogueStore::LoadIfChanged(const CatalogueFileState& file) {
  if (loaded_ != nullptr) {
    if (Unchanged(*loaded_, file)) return;
    // A file that looks the same but was written too recently to trust its
    // looks is most likely the same catalogue: its load only confirms it.
    if (loaded_->file != file) replaced_ = true;
  }
  if (!refreshing_ && Clock::now() >= retry_at_) RefreshInBackground();
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
    if (stopping_) return;
    // A load that failed is tried again once its delay is over, requests or
    // not: a push must not wait for one.
    if (!refreshing_ && retry_wanted_ && Clock::now() >= retry_at_) refreshing_ = true;
    if (!refreshing_) {
      if (retry_wanted_) {
        refresh_asked_.wait_until(lock, retry_at_);
      } else {
        refresh_asked_.wait(lock);
      }
      continue;
    }
    lock.unlock();
    {
      std::lock_guard load(load_mutex_);
      Refresh();
    }
    // A change made while the load ran (a second push) found a load under
    // way and started none: it is loaded next, without waiting for a look.
    const CatalogueFileState file = CatalogueFileState::Observe(path_, keeps_log_);
    lock.lock();
    refreshing_ = false;
    if (loaded_ != nullptr && !retry_wanted_) LoadIfChanged(file);
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
      if (loaded_ != nullptr && !Unchanged(*loaded_, file) && loaded_->file == file &&
          loaded_->commit_marks == marks) {
        // Written just before it was loaded, and nothing committed since: settled.
        auto settled = std::make_shared<Loaded>(*loaded_);
        settled->settles_at = Clock::time_point();
        loaded_ = settled;
      }
      if (loaded_ != nullptr && Unchanged(*loaded_, file)) {
        // The file holds what is held after all (renamed back, say).
        replaced_ = false;
        retry_wanted_ = false;
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
    const std::shared_ptr<const CatalogueIdentity> taking_over = loaded->identity;
    {
      std::lock_guard lock(loaded_mutex_);
      loaded.swap(loaded_);
      replaced_ = false;
      retry_wanted_ = false;
    }
    TellTakeover(taking_over.get());
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
    retry_wanted_ = true;
    failure_ = "cannot load " + path_ + ": " + failure;
    // A writer may hold the file for long, so its every retry is not worth a line.
    if (failure != last_failure_ && !cancel_) {
      notice = failure_ + (loaded_ != nullptr ? "; serving the catalogue loaded before meanwhile"
                                              : "; nothing to serve meanwhile");
    }
  }
  last_failure_ = failure;
  refresh_asked_.notify_all();
  if (!notice.empty() && notices_) notices_(notice);
}

std::shared_ptr<const CatalogueStore::Loaded> CatalogueStore::Load(const CatalogueFileState& file,
                                                                   std::uint64_t marks) {
  bool serving = false;
  {
    std::lock_guard lock(loaded_mutex_);
    serving = loaded_ != nullptr;
  }
  // While a catalogue serves, a writer holding the file costs this load a
  // retry, not a wait.
  const int patience = serving ? 0 : kFirstLoadPatienceMs;
  if (reader_ == nullptr || reader_->broken() || !reader_->Reads(file)) {
    reader_.reset();
    reader_ = std::make_unique<CatalogueReader>(path_, patience);
  }
  reader_->SetPatience(patience);
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
      replaced_ = false;
    }
    if (dropped != nullptr) TellTakeover(nullptr);
    throw;
  }
  loaded->index = std::move(index);
  return loaded;
}

CatalogueStore::LoadCost CatalogueStore::CurrentLoadCost() { return Current().catalogue->cost; }

std::shared_ptr<const CatalogueIdentity> CatalogueStore::Identity() {
  return Current().catalogue->identity;
}

std::shared_ptr<const MatchList> CatalogueStore::Matches(const Loaded& catalogue,
                                                         const std::string& key) {
  const std::int64_t serial = catalogue.serial;
  if (std::shared_ptr<const MatchList> cached = cache_.Find(serial, key)) return cached;

  // A term nobody has asked for yet is often asked for by many clients at
  // once: one request works it out, the others wait for its result.
  const std::pair<std::int64_t, std::string> slot(serial, key);
  std::shared_ptr<PendingMatches> pending;
  {
    std::unique_lock lock(pending_mutex_);
    if (const auto found = pending_.find(slot); found != pending_.end()) {
      const std::shared_ptr<PendingMatches> theirs = found->second;
      ++theirs->waiting;
      theirs->done.wait(lock, [&] { return theirs->finished; });
      if (theirs->failure) std::rethrow_exception(theirs->failure);
      return theirs->matches;
    }
    pending = std::make_shared<PendingMatches>();
    pending_.emplace(slot, pending);
  }

  std::shared_ptr<const MatchList> matches;
  std::exception_ptr failure;
  try {
    matches = std::make_shared<const MatchList>(catalogue.index->Find(key));
    cache_.Insert(serial, key, matches);
  } catch (...) {
    failure = std::current_exception();
  }
  {
    std::lock_guard lock(pending_mutex_);
    pending->finished = true;
    pending->matches = matches;
    pending->failure = failure;
    pending_.erase(slot);
    if (pending->waiting > 0) pending->done.notify_all();
  }
  if (failure) std::rethrow_exception(failure);
  return matches;
}

ListingRows CatalogueStore::Rows(std::string_view term, std::int32_t page, int page_size) {
  return Rows(Take(), term, page, page_size);
}

CatalogueStore::Taken CatalogueStore::Take() {
  Answering answering = Current();
  Taken taken;
  taken.identity = answering.catalogue->identity;
  taken.replaced = answering.replaced;
  taken.takes_origin = answering.catalogue->rows->AnyTakesOrigin();
  taken.catalogue = std::move(answering.catalogue);
  return taken;
}

ListingRows CatalogueStore::Rows(const Taken& taken, std::string_view term, std::int32_t page,
                                 int page_size) {
  const Loaded& catalogue = *std::static_pointer_cast<const Loaded>(taken.catalogue);
  const std::shared_ptr<const MatchList> matches = Matches(catalogue, AsciiFold(term));

  ListingRows result;
  result.store = catalogue.rows;
  result.identity = catalogue.identity;
  result.replaced = taken.replaced;
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

std::optional<CatalogueEntry> CatalogueStore::FindEntry(std::string_view entry_id,
                                                        AnswerSource* source) {
  const auto [catalogue, replaced] = Current();
  if (source != nullptr) *source = AnswerSource{catalogue->identity, replaced};
  const std::size_t row = catalogue->rows->FindId(entry_id);
  if (row == RowStore::kNone) return std::nullopt;
  return catalogue->rows->Entry(row);
}

std::int64_t CatalogueStore::EntryCount(std::shared_ptr<const CatalogueIdentity>* identity) {
  const std::shared_ptr<const Loaded> catalogue = Current().catalogue;
  if (identity != nullptr) *identity = catalogue->identity;
  return static_cast<std::int64_t>(catalogue->rows->size());
}

void CatalogueStore::WarmUp(std::size_t max_categories) {
  const std::shared_ptr<const Loaded> catalogue = Current().catalogue;
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
