#include "catalogue-service/catalogue_store.h"

#include <algorithm>

#include "catalogue-service/ascii_fold.h"
#include "catalogue-service/catalogue_schema.h"
#include "catalogue-service/listing_reply.h"
#include "catalogue-service/sqlite_handle.h"

namespace quorvel::service {
namespace {

constexpr std::string_view kEntryColumns =
    "category, title, licence_mode, update_time, download_links, entry_id";

CatalogueEntry ReadEntry(const SqliteStatement& row) {
  return CatalogueEntry{row.ColumnText(0), row.ColumnText(1), row.ColumnText(2),
                        row.ColumnText(3), row.ColumnText(4), row.ColumnText(5)};
}

}  // namespace

// A read-only connection with its prepared statements; used by one request at a time.
class CatalogueStore::Reader {
 public:
  explicit Reader(const std::string& path)
      : db_(path, SqliteDatabase::Mode::kReadOnly),
        begin_(Prepare("BEGIN")),
        commit_(Prepare("COMMIT")),
        generation_(Prepare("SELECT value FROM meta WHERE key = 'generation'")),
        all_(Prepare("SELECT seq FROM entries ORDER BY update_time DESC, seq")),
        matching_(
            Prepare("SELECT seq FROM entries WHERE category_key = ?1 OR instr(title_key, ?1) > 0 "
                    "ORDER BY update_time DESC, seq")),
        by_seq_(Prepare("SELECT " + std::string(kEntryColumns) + " FROM entries WHERE seq = ?1")),
        by_id_(
            Prepare("SELECT " + std::string(kEntryColumns) + " FROM entries WHERE entry_id = ?1")),
        count_(Prepare("SELECT count(*) FROM entries")),
        categories_(Prepare("SELECT DISTINCT category_key FROM entries LIMIT ?1")) {
    // Pages are shared through the mapping instead of copied into every connection.
    db_.Execute("PRAGMA mmap_size = 268435456");
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

  std::int64_t Generation() { return SingleInt(*generation_); }
  std::int64_t Count() { return SingleInt(*count_); }

  std::shared_ptr<const MatchList> FindMatches(const std::string& key) {
    SqliteStatement& query = key.empty() ? *all_ : *matching_;
    StatementReset reset(query);
    if (!key.empty()) query.BindText(1, key);
    auto matches = std::make_shared<MatchList>();
    while (query.Step()) matches->push_back(query.ColumnInt64(0));
    return matches;
  }

  std::optional<CatalogueEntry> EntryBySeq(std::int64_t seq) {
    StatementReset reset(*by_seq_);
    by_seq_->BindInt64(1, seq);
    if (!by_seq_->Step()) return std::nullopt;
    return ReadEntry(*by_seq_);
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
  void MarkBroken() { broken_ = true; }

 private:
  std::unique_ptr<SqliteStatement> Prepare(std::string_view sql) {
    return std::make_unique<SqliteStatement>(db_.handle(), sql);
  }

  static std::int64_t SingleInt(SqliteStatement& statement) {
    StatementReset reset(statement);
    return statement.Step() ? statement.ColumnInt64(0) : 0;
  }

  SqliteDatabase db_;  // declared first: closed after the statements are finalised
  std::unique_ptr<SqliteStatement> begin_, commit_, generation_, all_, matching_, by_seq_, by_id_,
      count_, categories_;
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
    : path_(std::move(path)), cache_(limits.cached_lists, limits.cached_rows) {
  {
    SqliteDatabase db(path_, SqliteDatabase::Mode::kReadOnly);
    CheckCatalogueSchema(db, path_.c_str());
  }
  ReturnReader(std::make_unique<Reader>(path_));
}

CatalogueStore::~CatalogueStore() = default;

std::unique_ptr<CatalogueStore::Reader> CatalogueStore::TakeReader() {
  {
    std::lock_guard lock(readers_mutex_);
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

std::shared_ptr<const MatchList> CatalogueStore::Matches(Reader& reader, const std::string& key) {
  const std::int64_t generation = reader.Generation();
  std::shared_ptr<const MatchList> matches = cache_.Find(generation, key);
  if (matches == nullptr) {
    matches = reader.FindMatches(key);
    cache_.Insert(generation, key, matches);
  }
  return matches;
}

ListingPage CatalogueStore::Page(std::string_view term, std::int32_t page, int page_size) {
  Lease reader(*this);
  Reader::Transaction transaction(*reader);
  const std::shared_ptr<const MatchList> matches = Matches(*reader, AsciiFold(term));

  ListingPage result;
  result.matches = static_cast<std::int64_t>(matches->size());
  const std::int64_t first = FirstIndexOfPage(page, page_size);
  const std::int64_t last = std::min<std::int64_t>(first + page_size, result.matches);
  for (std::int64_t i = first; i < last; ++i) {
    if (std::optional<CatalogueEntry> entry = reader->EntryBySeq((*matches)[i])) {
      result.entries.push_back(std::move(*entry));
    }
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

void CatalogueStore::Prepare(std::size_t max_categories) {
  Lease reader(*this);
  Reader::Transaction transaction(*reader);
  Matches(*reader, "");
  for (const std::string& key : reader->CategoryKeys(max_categories)) Matches(*reader, key);
}

}  // namespace quorvel::service
