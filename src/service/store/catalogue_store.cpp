#include "service/store/catalogue_store.h"

#include <algorithm>
#include <iterator>
#include <span>

#include "protocol/listing_reply_writer.h"
#include "service/store/ascii_fold.h"
#include "service/store/catalogue_schema.h"
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

std::int64_t WallClockNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

CatalogueEntry ReadEntry(const SqliteStatement& row) {
  return CatalogueEntry{row.ColumnText(0), row.ColumnText(1), row.ColumnText(2),
                        row.ColumnText(3), row.ColumnText(4), row.ColumnText(5)};
}

}  // namespace

// A read-only connection with its prepared statements; used by one request at a time.
class CatalogueStore::Reader {
 public:
  explicit Reader(const std::string& path)
      : file_(CatalogueFileState::Observe(path)),
        // Imports replace the catalogue file whole and never change it in
        // place, so reading it needs no locks.
        db_(path, SqliteDatabase::Mode::kUnchanging),
        begin_(Prepare("BEGIN")),
        commit_(Prepare("COMMIT")),
        stamp_(Prepare("SELECT value FROM meta WHERE key = 'stamp'")),
        // Every row is read anyway: reading the table in storage order and sorting
        // is several times faster than walking the update-time index and
        // fetching each row from it.
        keys_(Prepare("SELECT seq, category_key, title_key FROM entries NOT INDEXED "
                      "ORDER BY update_time DESC, seq")),
        // Storage order, which is row number order: no sorting.
        entries_(
            Prepare("SELECT seq, " + std::string(kEntryColumns) + " FROM entries ORDER BY seq")),
        by_id_(
            Prepare("SELECT " + std::string(kEntryColumns) + " FROM entries WHERE entry_id = ?1")),
        count_(Prepare("SELECT count(*) FROM entries")),
        categories_(Prepare("SELECT DISTINCT category_key FROM entries LIMIT ?1")) {
    // No memory mapping: listings are served from memory, and the pages a
    // load reads once would otherwise stay mapped as long as the connection.
  }

  // One read transaction: everything read inside it comes from the same state.
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

  // The content stamp as stored: 16 random bytes, or empty for a catalogue
  // no import has stamped yet.
  std::string Stamp() {
    StatementReset reset(*stamp_);
    return stamp_->Step() ? stamp_->ColumnText(0) : std::string();
  }
  std::int64_t Count() { return SingleInt(*count_); }

  std::shared_ptr<const SearchIndex> BuildIndex() {
    StatementReset reset(*keys_);
    auto index = std::make_shared<SearchIndex>();
    while (keys_->Step()) {
      index->Add(keys_->ColumnInt64(0), keys_->ColumnView(1), keys_->ColumnView(2));
    }
    return index;
  }

  std::shared_ptr<const RowStore> ReadRows() {
    StatementReset reset(*entries_);
    auto rows = std::make_shared<RowStore>();
    while (entries_->Step()) {
      rows->Add(entries_->ColumnInt64(0), entries_->ColumnView(1), entries_->ColumnView(2),
                entries_->ColumnView(3), entries_->ColumnView(4), entries_->ColumnView(5),
                entries_->ColumnView(6));
    }
    rows->Finish();
    return rows;
  }

  std::optional<CatalogueEntry> EntryById(std::string_view id) {
    StatementReset reset(*by_id_);
    by_id_->BindText(1, id);
    if (!by_id_->Step()) return std::nullopt;
    return ReadEntry(*by_id_);
  }

  std::vector<std::string> CategoryKeys(std::size_t limit) {
    StatementReset reset(*categories_);
    categories_->BindInt64(1, static_cast<std::int64_t>(limit));
    std::vector<std::string> keys;
    while (categories_->Step()) keys.push_back(categories_->ColumnText(0));
    return keys;
  }

  bool broken() const { return broken_; }
  // The file as it was just before this connection opened it.
  const CatalogueFileState& file() const { return file_; }

 private:
  std::unique_ptr<SqliteStatement> Prepare(std::string_view sql) {
    return std::make_unique<SqliteStatement>(db_.handle(), sql);
  }

  static std::int64_t SingleInt(SqliteStatement& statement) {
    StatementReset reset(statement);
    return statement.Step() ? statement.ColumnInt64(0) : 0;
  }

  const CatalogueFileState file_;
  SqliteDatabase db_;  // declared before the statements: closed after the statements are finalised
  std::unique_ptr<SqliteStatement> begin_, commit_, stamp_, keys_, entries_, by_id_, count_,
      categories_;
  bool broken_ = false;
};

// Borrows a reader for one request and gives it back, unless it failed.
class CatalogueStore::Lease {
 public:
  explicit Lease(CatalogueStore& store) : store_(store), reader_(store.TakeReader()) {}
  ~Lease() {
    if (std::uncaught_exceptions() > exceptions_ || reader_->broken()) return;
    store_.ReturnReader(std::move(reader_));
  }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;

  Reader& operator*() { return *reader_; }
  Reader* operator->() { return reader_.get(); }

 private:
  CatalogueStore& store_;
  std::unique_ptr<Reader> reader_;
  const int exceptions_ = std::uncaught_exceptions();
};

CatalogueStore::CatalogueStore(std::string path) : CatalogueStore(std::move(path), Limits{}) {}

CatalogueStore::CatalogueStore(std::string path, Limits limits)
    : path_(std::move(path)), cache_(limits.cached_lists, limits.cached_match_rows) {
  {
    SqliteDatabase db(path_, SqliteDatabase::Mode::kReadOnly);
    CheckCatalogueSchema(db, path_.c_str());
  }
  ReturnReader(std::make_unique<Reader>(path_));
}

CatalogueStore::~CatalogueStore() = default;

std::unique_ptr<CatalogueStore::Reader> CatalogueStore::TakeReader() {
  const CatalogueFileState current = CatalogueFileState::Observe(path_);
  std::vector<std::unique_ptr<Reader>> stale;  // closed outside the lock
  {
    std::lock_guard lock(readers_mutex_);
    // A replaced catalogue: every idle connection to the old file goes at
    // once, so the old file's space is given back.
    if (!idle_readers_.empty() && idle_readers_.back()->file() != current) {
      const auto old = std::stable_partition(
          idle_readers_.begin(), idle_readers_.end(),
          [&](const std::unique_ptr<Reader>& reader) { return reader->file() == current; });
      std::move(old, idle_readers_.end(), std::back_inserter(stale));
      idle_readers_.erase(old, idle_readers_.end());
    }
    if (!idle_readers_.empty()) {
      std::unique_ptr<Reader> reader = std::move(idle_readers_.back());
      idle_readers_.pop_back();
      return reader;
    }
  }
  return std::make_unique<Reader>(path_);
}

void CatalogueStore::ReturnReader(std::unique_ptr<Reader> reader) {
  std::lock_guard lock(readers_mutex_);
  idle_readers_.push_back(std::move(reader));
}

bool CatalogueStore::Unchanged(const Loaded& loaded, const CatalogueFileState& file) const {
  if (loaded.file != file) return false;
  return loaded.settles_at == Clock::time_point() || Clock::now() < loaded.settles_at;
}

std::shared_ptr<const CatalogueStore::Loaded> CatalogueStore::Current() {
  {
    const CatalogueFileState file = CatalogueFileState::Observe(path_);
    std::lock_guard lock(loaded_mutex_);
    if (loaded_ != nullptr && Unchanged(*loaded_, file)) return loaded_;
  }
  // One load at a time: whoever waited here usually finds the file loaded.
  std::lock_guard load(load_mutex_);
  const CatalogueFileState file = CatalogueFileState::Observe(path_);
  // Read before the load, so that what is loaded is never older than what
  // they say: a commit in between only makes the next request load again.
  const std::uint64_t marks = CatalogueFileState::CommitMarks(path_);
  {
    std::lock_guard lock(loaded_mutex_);
    if (loaded_ != nullptr && Unchanged(*loaded_, file)) return loaded_;
    if (loaded_ != nullptr && loaded_->file == file && loaded_->commit_marks == marks) {
      // Written just before it was loaded, and nothing committed since: settled.
      auto settled = std::make_shared<Loaded>(*loaded_);
      settled->settles_at = Clock::time_point();
      loaded_ = settled;
      return loaded_;
    }
    // The old catalogue goes before the new one is read, so that a large
    // catalogue is never held twice over.
    loaded_.reset();
  }
  Lease reader(*this);
  auto loaded = std::make_shared<Loaded>();
  loaded->serial = ++loads_;
  loaded->file = file;
  loaded->commit_marks = marks;
  if (file.LatestWriteNs() > WallClockNs() - kUnsettledNs) {
    loaded->settles_at = Clock::now() + std::chrono::nanoseconds(kUnsettledNs);
  }
  {
    Reader::Transaction transaction(*reader);
    loaded->identity = std::make_shared<const CatalogueIdentity>(
        CatalogueIdentity::Of(reader->Stamp(), file, marks));
    loaded->index = reader->BuildIndex();
    loaded->rows = reader->ReadRows();
  }
  std::lock_guard lock(loaded_mutex_);
  loaded_ = loaded;
  return loaded;
}

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

ListingPage CatalogueStore::Page(std::string_view term, std::int32_t page, int page_size) {
  const ListingRows rows = Rows(term, page, page_size);
  ListingPage result;
  result.matches = rows.matches;
  result.entries.reserve(rows.rows.size());
  for (const std::size_t row : rows.rows) {
    result.entries.push_back(std::make_shared<const CatalogueEntry>(rows.store->Entry(row)));
  }
  return result;
}

std::optional<CatalogueEntry> CatalogueStore::FindEntry(std::string_view entry_id) {
  Lease reader(*this);
  Reader::Transaction transaction(*reader);
  return reader->EntryById(entry_id);
}

std::int64_t CatalogueStore::EntryCount() {
  Lease reader(*this);
  Reader::Transaction transaction(*reader);
  return reader->Count();
}

void CatalogueStore::WarmUp(std::size_t readers, std::size_t max_categories) {
  {
    const std::shared_ptr<const Loaded> catalogue = Current();
    Matches(*catalogue, "");
    std::vector<std::string> keys;
    {
      Lease reader(*this);
      Reader::Transaction transaction(*reader);
      keys = reader->CategoryKeys(max_categories);
    }
    for (const std::string& key : keys) Matches(*catalogue, key);
  }
  std::size_t idle = 0;
  {
    std::lock_guard lock(readers_mutex_);
    idle = idle_readers_.size();
  }
  for (; idle < readers; ++idle) ReturnReader(std::make_unique<Reader>(path_));
}

}  // namespace quorvel::service
