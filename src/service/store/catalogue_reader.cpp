#include "service/store/catalogue_reader.h"

#include <algorithm>
#include <iterator>

#include "service/store/catalogue_schema.h"
#include "service/store/field_cleaning.h"
#include "service/store/row_store.h"
#include "service/store/search_index.h"

namespace quorvel::service {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kEntryColumns =
    "category, title, licence_mode, update_time, download_links, entry_id";

// How often a load looks whether it is to stop, in rows.
constexpr std::size_t kRowsBetweenLooks = 4096;

}  // namespace

CatalogueReader::CatalogueReader(const std::string& path, int patience_ms)
    : path_(path),
      file_(CatalogueFileState::Observe(path)),
      // The statements below read the schema, so they wait for writers too.
      db_(path, SqliteDatabase::Mode::kReadOnly, patience_ms),
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

CatalogueReader::~CatalogueReader() = default;

CatalogueReader::Transaction::Transaction(CatalogueReader& reader) : reader_(reader) {
  reader_.begin_->Run();
}

CatalogueReader::Transaction::~Transaction() {
  try {
    reader_.commit_->Run();
  } catch (const StoreError&) {
    reader_.broken_ = true;
  }
}

void CatalogueReader::CheckSchema() { CheckCatalogueSchema(db_, path_.c_str()); }

std::string CatalogueReader::Stamp() {
  StatementReset reset(*stamp_);
  return stamp_->Step() ? stamp_->ColumnText(0) : std::string();
}

std::shared_ptr<const RowStore> CatalogueReader::Read(SearchIndex& index, CatalogueLoadCost& cost,
                                                      const std::atomic<bool>& cancel) {
  const Clock::time_point started = Clock::now();
  Clock::duration indexing{};
  std::shared_ptr<RowStore> rows = ReadRows(index, indexing, cancel);
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

std::shared_ptr<RowStore> CatalogueReader::ReadRows(SearchIndex& index, Clock::duration& indexing,
                                                    const std::atomic<bool>& cancel) {
  auto rows = std::make_shared<RowStore>();
  {
    StatementReset reset(*entries_);
    for (std::size_t count = 1; entries_->Step(); ++count) {
      if (count % kRowsBetweenLooks == 0 && cancel) throw StoreError("the load was called off");
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
      const Clock::time_point start = Clock::now();
      index.Add(seq, entries_->ColumnView(7), entries_->ColumnView(8));
      indexing += Clock::now() - start;
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

void CatalogueReader::FinishIndex(SearchIndex& index) {
  StatementReset reset(*order_);
  std::vector<std::int64_t> order;
  while (order_->Step()) order.push_back(order_->ColumnInt64(0));
  index.Finish(order);
}

void CatalogueReader::ForEachEntry(const std::function<bool(const CatalogueEntry&)>& each) {
  StatementReset reset(*entries_);
  while (entries_->Step()) {
    CatalogueEntry entry{entries_->ColumnText(1), entries_->ColumnText(2), entries_->ColumnText(3),
                         entries_->ColumnText(4), entries_->ColumnText(5), entries_->ColumnText(6)};
    CleanEntry(entry);
    if (!each(entry)) return;
  }
}

std::vector<std::string> CatalogueReader::CategoryKeys(std::size_t limit) {
  StatementReset reset(*categories_);
  categories_->BindInt64(1, static_cast<std::int64_t>(limit));
  std::vector<std::string> keys;
  while (categories_->Step()) keys.push_back(categories_->ColumnText(0));
  return keys;
}

std::unique_ptr<SqliteStatement> CatalogueReader::Prepare(std::string_view sql) {
  return std::make_unique<SqliteStatement>(db_.handle(), sql);
}

}  // namespace quorvel::service
