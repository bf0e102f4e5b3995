#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "service/store/catalogue_entry.h"
#include "service/store/catalogue_file_state.h"
#include "service/store/sqlite_handle.h"

namespace quorvel::service {

class RowStore;
class SearchIndex;

// What loading a catalogue took: the rows, and the search index (taking each
// row's keys as it is read, then ordering and indexing them).  The index's
// trigram lists are built on a second thread while the rows are read:
// `index_seconds` is what the index adds to the load's own thread,
// `gram_thread_seconds` how long that second thread worked beside it.
struct CatalogueLoadCost {
  std::int64_t entries = 0;
  double rows_seconds = 0;
  std::size_t rows_bytes = 0;
  double index_seconds = 0;
  double gram_thread_seconds = 0;
  std::size_t index_bytes = 0;
};

// The read-only connection that loads run on, with its prepared statements.
// It reads under SQLite's ordinary locking, so a load sees committed data
// only, whether the file has a write-ahead log or a rollback journal, and
// whoever edits the file in place is never read half-way.  Used by one
// thread at a time.
class CatalogueReader {
 public:
  // Throws StoreError when `path` cannot be opened, or when a writer holds it
  // for longer than `patience_ms` (see SetPatience()).
  CatalogueReader(const std::string& path, int patience_ms);
  ~CatalogueReader();
  CatalogueReader(const CatalogueReader&) = delete;
  CatalogueReader& operator=(const CatalogueReader&) = delete;

  // One read transaction: everything read inside it comes from the same
  // committed state, and no writer can commit over it meanwhile.
  class Transaction {
   public:
    explicit Transaction(CatalogueReader& reader);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

   private:
    CatalogueReader& reader_;
  };

  // How long a read waits for a writer that holds the file; 0: not at all.
  void SetPatience(int milliseconds) { db_.SetBusyTimeout(milliseconds); }

  // The first read of a transaction, so it is where the lock is taken: a
  // writer holding the file makes it throw.
  void CheckSchema();

  // The content stamp as stored: 16 random bytes, or empty for a catalogue
  // no import has stamped yet.
  std::string Stamp();

  // Every row, and the search keys of every row into `index`, which it
  // finishes; inside a Transaction.  What it cost goes to `cost`.  Throws
  // StoreError, soon after `cancel` is set, too.
  std::shared_ptr<const RowStore> Read(SearchIndex& index, CatalogueLoadCost& cost,
                                       const std::atomic<bool>& cancel);

  // Every entry in order of first import, cleaned as a load cleans it, until
  // `each` returns false; inside a Transaction.
  void ForEachEntry(const std::function<bool(const CatalogueEntry&)>& each);

  // Up to `limit` of the folded categories; inside a Transaction.
  std::vector<std::string> CategoryKeys(std::size_t limit);

  // Whether a transaction could not be ended: the connection is not to be used again.
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
                                     std::chrono::steady_clock::duration& indexing,
                                     const std::atomic<bool>& cancel);
  // Puts the keys ReadRows() gave `index` in listing order and indexes them.
  void FinishIndex(SearchIndex& index);
  std::unique_ptr<SqliteStatement> Prepare(std::string_view sql);

  const std::string path_;
  const CatalogueFileState file_;  // just before the connection opened it
  SqliteDatabase db_;  // declared before the statements: closed after the statements are finalised
  std::unique_ptr<SqliteStatement> begin_, commit_, stamp_, order_, entries_, ids_, categories_;
  bool broken_ = false;
};

}  // namespace quorvel::service
