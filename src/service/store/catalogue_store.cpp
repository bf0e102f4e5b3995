#include "service/store/catalogue_store.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <span>

#include "protocol/listing_reply_writer.h"
#include "service/store/ascii_fold.h"
#include "service/store/catalogue_schema.h"
#include "service/store/field_cleaning.h"
#include "service/store/row_store.h"
#include "service/store/search_index.h"
#include "service/store/sqlite_handle.h"

namespace quorvel::service {
namespace {

constexpr std::string_view kEntryColumns =
    "category, title, licence_mode, update_time, download_links, entry_id";

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

// The read-only connection that loads run on, with its prepared statements.
// It reads under SQLite's ordinary locking, so a load sees committed data
// only, whether the file has a write-ahead log or a rollback journal, and
// whoever edits the file in place is never read half-way.
class CatalogueStore::Reader {
 public:
  explicit Reader(const std::string& path)
      : path_(path),
        file_(CatalogueFileState::Observe(path)),
        db_(path, SqliteDatabase::Mode::kReadOnly),
        begin_(Prepare("BEGIN")),
        commit_(Prepare("COMMIT")),
        stamp_(Prepare("SELECT value FROM meta WHERE key = 'stamp'")),
        // The update-time index alone holds the listing order: no sorting, and
        // no row is fetched.
        order_(Prepare("SELECT seq FROM entries ORDER BY update_time DESC, seq")),
        // Storage order, which is row number order: no sorting.
        entries_(Prepare("SELECT seq, " + std::string(kEntryColumns) +
                         ", category_key, title_key FROM entries ORDER BY seq")),
        // The EntryId index has the rows in EntryId order already.
        ids_(Prepare("SELECT seq FROM entries ORDER BY entry_id")),
        categories_(Prepare("SELECT DISTINCT category_key FROM entries LIMIT ?1")) {
    // No memory mapping: listings are served from memory, and the pages a
    // load reads once would otherwise stay mapped as long as the connection.
  }

  // One read transaction: everything read inside it comes from the same
  // committed state, and no writer can commit over it meanwhile.
  class Transaction {
   public:
    explicit Transaction(Reader& reader) : reader_(reader) { reader_.begin_->Run(); }
    ~Transaction() {
      try {
        reader_.commit_->Run();
      } catch (const StoreError&) {
        reader_.broken_ = true;
      }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

   private:
    Reader& reader_;
  };

  // How long a read waits for a writer that holds the file; 0: not at all.
  void SetPatience(int milliseconds) { db_.SetBusyTimeout(milliseconds); }

  // The first read of a transaction, so it is where the lock is taken: a
  // writer holding the file makes it throw.
  void CheckSchema() { CheckCatalogueSchema(db_, path_.c_str()); }

  // The content stamp as stored: 16 random bytes, or empty for a catalogue
  // no import has stamped yet.
  std::string Stamp() {
    StatementReset reset(*stamp_);
    return stamp_->Step() ? stamp_->ColumnText(0) : std::string();
  }

  // Every row, and the search keys of every row into `index`, inside a
  // Transaction; what it cost goes to `cost`.
  std::shared_ptr<const RowStore> Read(SearchIndex& index, LoadCost& cost) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point started = Clock::now();
    Clock::duration indexing{};
    std::shared_ptr<RowStore> rows = ReadRows(index, indexing);
    const Clock::time_point read = Clock::now();
    FinishIndex(index);
    const Clock::time_point indexed = Clock::now();
    cost.entries = static_cast<std::int64_t>(rows->size());
    cost.rows_seconds = std::chrono::duration<double>(read - started - indexing).count();
    cost.index_seconds = std::chrono::duration<double>(indexing + (indexed - read)).count();
    cost.gram_thread_seconds = std::chrono::duration<double>(index.GramListTime()).count();
    cost.rows_bytes = rows->MemoryBytes();
    cost.index_bytes = index.MemoryBytes();
    return rows;
  }

  std::vector<std::string> CategoryKeys(std::size_t limit) {
    StatementReset reset(*categories_);
    categories_->BindInt64(1, static_cast<std::int64_t>(limit));
    std::vector<std::string> keys;
    while (categories_->Step()) keys.push_back(categories_->ColumnText(0));
    return keys;
  }

  bool broken() const { return broken_; }
  // Whether this connection reads the file `file` describes: a catalogue
  // replaced by another file needs a connection to the new one.
  bool Reads(const CatalogueFileState& file) const {
    return file.device == file_.device && file.inode == file_.inode;
  }

 private:
  // Every row, its search keys into `index` as it is read (adding the time
  // that took to `indexing`), then the rows in EntryId order.
  std::shared_ptr<RowStore> ReadRows(SearchIndex& index,
                                     std::chrono::steady_clock::duration& indexing) {
    auto rows = std::make_shared<RowStore>();
    {
      StatementReset reset(*entries_);
      while (entries_->Step()) {
        const std::int64_t seq = entries_->ColumnInt64(0);
        std::string_view fields[6];
        for (int i = 0; i < 6; ++i) fields[i] = entries_->ColumnView(i + 1);
        // Rows edited in place by another program never went through an
        // import's cleaning, and must not break a reply's framing either.
        if (std::all_of(std::begin(fields), std::end(fields), IsCleanField)) {
          rows->Add(seq, fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
        } else {
          CatalogueEntry entry{std::string(fields[0]), std::string(fields[1]),
                               std::string(fields[2]), std::string(fields[3]),
                               std::string(fields[4]), std::string(fields[5])};
          CleanEntry(entry);
          rows->Add(seq, entry);
        }
        const auto start = std::chrono::steady_clock::now();
        index.Add(seq, entries_->ColumnView(7), entries_->ColumnView(8));
        indexing += std::chrono::steady_clock::now() - start;
      }
    }
    rows->Finish();
    std::vector<std::uint32_t> by_id;
    by_id.reserve(rows->size());
    StatementReset reset(*ids_);
    while (ids_->Step()) {
      const std::size_t row = rows->Find(ids_->ColumnInt64(0));
      if (row != RowStore::kNone) by_id.push_back(static_cast<std::uint32_t>(row));
    }
    rows->SetIdOrder(std::move(by_id));
    return rows;
  }

  // Puts the keys ReadRows() gave `index` in listing order and indexes them.
  void FinishIndex(SearchIndex& index) {
    StatementReset reset(*order_);
    std::vector<std::int64_t> order;
    while (order_->Step()) order.push_back(order_->ColumnInt64(0));
    index.Finish(order);
  }

  std::unique_ptr<SqliteStatement> Prepare(std::string_view sql) {
    return std::make_unique<SqliteStatement>(db_.handle(), sql);
  }

  const std::string path_;
  const CatalogueFileState file_;  // just before the connection opened it
  SqliteDatabase db_;  // declared before the statements: closed after the statements are finalised
  std::unique_ptr<SqliteStatement> begin_, commit_, stamp_, order_, entries_, ids_, categories_;
  bool broken_ = false;
};

CatalogueStore::CatalogueStore(std::string path) : CatalogueStore(std::move(path), Limits{}) {}

CatalogueStore::CatalogueStore(std::string path, Limits limits)
    : path_(std::move(path)), cache_(limits.cached_lists, limits.cached_match_rows) {
  reader_ = std::make_unique<Reader>(path_);
  reader_->SetPatience(kFirstLoadPatienceMs);
  Reader::Transaction transaction(*reader_);
  reader_->CheckSchema();
}

CatalogueStore::~CatalogueStore() = default;

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
  std::shared_ptr<const Loaded> held;
  {
    const CatalogueFileState file = CatalogueFileState::Observe(path_, keeps_log_);
    std::lock_guard lock(loaded_mutex_);
    if (loaded_ != nullptr && Unchanged(*loaded_, file)) return loaded_;
    if (Clock::now() < retry_at_) return Held();
    held = loaded_;
  }
  // One load at a time.  While it runs, everyone else goes on with the
  // catalogue held until then, which stays in memory beside the new one until
  // the new one is whole: a reload never holds up serving.  Only the very
  // first load is waited for.
  std::unique_lock load(load_mutex_, std::try_to_lock);
  if (!load.owns_lock()) {
    if (held != nullptr) return held;
    load.lock();
  }
  const CatalogueFileState file = CatalogueFileState::Observe(path_, keeps_log_);
  // Read before the load, so that what is loaded is never older than what
  // they say: a commit in between only makes the next request load again.
  const std::uint64_t marks = CatalogueFileState::CommitMarks(path_);
  {
    std::lock_guard lock(loaded_mutex_);
    if (loaded_ != nullptr && Unchanged(*loaded_, file)) return loaded_;
    if (Clock::now() < retry_at_) return Held();
    if (loaded_ != nullptr && loaded_->file == file && loaded_->commit_marks == marks) {
      // Written just before it was loaded, and nothing committed since: settled.
      auto settled = std::make_shared<Loaded>(*loaded_);
      settled->settles_at = Clock::time_point();
      loaded_ = settled;
      return loaded_;
    }
  }
  std::string failure;
  try {
    // Whether the log is worth a look from now on; if that changes, so does
    // `file`, and the load after this one looks again.
    keeps_log_ = CatalogueFileState::KeepsLog(path_);
    std::shared_ptr<const Loaded> loaded = Load(file, marks);
    if (!last_failure_.empty() && notices_) {
      notices_("loaded " + path_ + " again: " + std::to_string(loaded->rows->size()) + " entries");
    }
    last_failure_.clear();
    std::lock_guard lock(loaded_mutex_);
    loaded_ = loaded;
    return loaded;
  } catch (const StoreError& error) {
    failure = error.what();
  } catch (const std::bad_alloc&) {
    failure = "out of memory";
  }
  std::lock_guard lock(loaded_mutex_);
  retry_at_ = Clock::now() + kRetryDelay;
  failure_ = "cannot load " + path_ + ": " + failure;
  // A writer may hold the file for long, so its every retry is not worth a line.
  if (failure != last_failure_ && notices_) {
    notices_(failure_ + (loaded_ != nullptr ? "; serving the catalogue loaded before meanwhile"
                                            : "; nothing to serve meanwhile"));
  }
  last_failure_ = failure;
  return Held();
}

std::shared_ptr<const CatalogueStore::Loaded> CatalogueStore::Load(const CatalogueFileState& file,
                                                                   std::uint64_t marks) {
  if (reader_ == nullptr || reader_->broken() || !reader_->Reads(file)) {
    reader_.reset();
    reader_ = std::make_unique<Reader>(path_);
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
  Reader::Transaction transaction(*reader_);
  reader_->CheckSchema();
  loaded->identity = std::make_shared<const CatalogueIdentity>(
      CatalogueIdentity::Of(reader_->Stamp(), file, marks));
  // The catalogue held until now keeps serving beside this one until it is whole.
  auto index = std::make_shared<SearchIndex>();
  try {
    loaded->rows = reader_->Read(*index, loaded->cost);
  } catch (...) {
    // The read lock is held and the file is a catalogue of ours, so this is a
    // broken file or a want of memory: what is held stands for content the
    // file no longer has, and goes (its memory with it) until a load works.
    std::lock_guard lock(loaded_mutex_);
    loaded_.reset();
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

std::optional<CatalogueEntry> CatalogueStore::FindEntry(std::string_view entry_id) {
  const std::shared_ptr<const Loaded> catalogue = Current();
  const std::size_t row = catalogue->rows->FindId(entry_id);
  if (row == RowStore::kNone) return std::nullopt;
  return catalogue->rows->Entry(row);
}

std::int64_t CatalogueStore::EntryCount() {
  return static_cast<std::int64_t>(Current()->rows->size());
}

void CatalogueStore::WarmUp(std::size_t max_categories) {
  const std::shared_ptr<const Loaded> catalogue = Current();
  Matches(*catalogue, "");
  std::vector<std::string> keys;
  try {
    std::lock_guard load(load_mutex_);
    if (reader_ != nullptr) {
      Reader::Transaction transaction(*reader_);
      keys = reader_->CategoryKeys(max_categories);
    }
  } catch (const StoreError&) {
    // Only a head start: the categories are worked out when first asked for.
  }
  for (const std::string& key : keys) Matches(*catalogue, key);
}

}  // namespace quorvel::service
