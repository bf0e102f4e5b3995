#include "service/store/catalogue_writer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

#include "service/store/ascii_fold.h"
#include "service/store/catalogue_schema.h"
#include "service/store/scratch_folder.h"
#include "service/store/seed_catalogue.h"
#include "service/store/sqlite_handle.h"

namespace quorvel::service {
namespace {

constexpr std::string_view kUpsertEntry = R"sql(
INSERT INTO entries (category, title, licence_mode, update_time, download_links, entry_id,
                     category_key, title_key)
VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)
ON CONFLICT (entry_id) DO UPDATE SET
  category = excluded.category, title = excluded.title, licence_mode = excluded.licence_mode,
  update_time = excluded.update_time, download_links = excluded.download_links,
  category_key = excluded.category_key, title_key = excluded.title_key
)sql";

// Rolls back unless committed, so a failed import leaves the catalogue as it was.
class WriteTransaction {
 public:
  explicit WriteTransaction(SqliteDatabase& db) : db_(db) { db_.Execute("BEGIN IMMEDIATE"); }
  ~WriteTransaction() {
    if (!committed_) {
      try {
        db_.Execute("ROLLBACK");
      } catch (const StoreError&) {
        // The failure that brought us here is the one worth reporting.
      }
    }
  }
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;

  void Commit() {
    db_.Execute("COMMIT");
    committed_ = true;
  }

 private:
  SqliteDatabase& db_;
  bool committed_ = false;
};

std::int64_t CountEntries(SqliteDatabase& db) {
  SqliteStatement count(db.handle(), "SELECT count(*) FROM entries");
  return count.Step() ? count.ColumnInt64(0) : 0;
}

void UpsertAll(SqliteDatabase& db, const std::vector<CatalogueEntry>& entries) {
  SqliteStatement upsert(db.handle(), kUpsertEntry);
  for (const CatalogueEntry& e : entries) {
    upsert.BindText(1, e.category);
    upsert.BindText(2, e.title);
    upsert.BindText(3, e.licence_mode);
    upsert.BindText(4, e.update_time);
    upsert.BindText(5, e.download_links);
    upsert.BindText(6, e.entry_id);
    upsert.BindText(7, AsciiFold(e.category));
    upsert.BindText(8, AsciiFold(e.title));
    upsert.Run();
  }
}

void BuildSeedDatabase(const std::string& path) {
  SqliteDatabase db(path, SqliteDatabase::Mode::kReadWriteCreate);
  WriteTransaction transaction(db);
  db.Execute(kCatalogueSchema);
  UpsertAll(db, SeedCatalogue());
  transaction.Commit();
}

[[noreturn]] void FailWithErrno(const std::string& what, int error) {
  throw StoreError(what + ": " + std::strerror(error));
}

// Imports into one catalogue take turns: each builds on what the one before
// left, so none is lost.  Whoever builds a catalogue in a scratch folder holds
// it, so scratch folders it does not find in use are leftovers.  The lock file
// stays, empty, beside the catalogue.
class ImportLock {
 public:
  explicit ImportLock(const std::string& path) {
    const std::string lock_path = path + ".lock";
    fd_ = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ < 0) FailWithErrno("cannot open " + lock_path, errno);
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        const int error = errno;
        ::close(fd_);
        FailWithErrno("cannot lock " + lock_path, error);
      }
    }
  }
  ~ImportLock() { ::close(fd_); }
  ImportLock(const ImportLock&) = delete;
  ImportLock& operator=(const ImportLock&) = delete;

 private:
  int fd_ = -1;
};

void SyncPath(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) FailWithErrno("cannot open " + path, errno);
  const int synced = ::fsync(fd);
  const int error = errno;
  ::close(fd);
  if (synced != 0) FailWithErrno("cannot write " + path + " to disk", error);
}

// A catalogue written by a version of this program that changed it in place
// and was killed part-way carries a hot rollback journal, which read-only
// connections cannot roll back.  One read-write look rolls it back.
void RollBackInterruptedWrite(const std::string& path) {
  struct stat journal {};
  if (::stat((path + "-journal").c_str(), &journal) != 0 || journal.st_size == 0) return;
  SqliteDatabase db(path, SqliteDatabase::Mode::kReadWriteCreate);
  SqliteStatement(db.handle(), "SELECT count(*) FROM sqlite_master").Run();
}

// True when `path` holds a catalogue (checked), false when it is missing or
// empty; throws StoreError when it is something else.
bool HoldsCatalogue(const std::string& path) {
  struct stat info {};
  const bool exists = ::stat(path.c_str(), &info) == 0;
  if (exists && !S_ISREG(info.st_mode)) throw StoreError(path + " is not a regular file");
  if (!exists || info.st_size == 0) return false;
  RollBackInterruptedWrite(path);
  SqliteDatabase db(path, SqliteDatabase::Mode::kReadOnly);
  CheckCatalogueSchema(db, path.c_str());
  return true;
}

void CreateParentFolder(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (parent.empty()) return;
  std::error_code error;
  std::filesystem::create_directories(parent, error);
  if (error) throw StoreError("cannot create folder " + parent.string() + ": " + error.message());
}

// Builds the catalogue at `path` anew in a scratch folder beside it, from a
// copy of what it holds (or, when it holds nothing and `may_create` allows,
// from nothing), lets `change` change the copy inside one transaction, and
// renames the copy over `path` unless `change` returns false.  Until the
// rename the old catalogue is untouched and serves on, and a kill at any point
// leaves either it or the complete new one, never a mixture.
bool Rebuild(const std::string& path, bool may_create,
             const std::function<bool(SqliteDatabase&)>& change) {
  if (may_create) CreateParentFolder(path);
  ImportLock lock(path);
  ScratchFolder::RemoveLeftovers(path);
  ScratchFolder scratch(path);
  {
    SqliteDatabase db(scratch.database(), SqliteDatabase::Mode::kReadWriteCreate);
    if (HoldsCatalogue(path)) {
      SqliteDatabase old(path, SqliteDatabase::Mode::kReadOnly);
      CheckCatalogueSchema(old, path.c_str());
      old.CopyTo(db);
    } else if (may_create) {
      // A new catalogue holds what is imported and nothing else: the starter
      // catalogue's made-up entries are for a service's first start, and must
      // never reach a catalogue that an operator builds to publish.
      db.Execute(kCatalogueSchema);
    } else {
      throw StoreError(path + " holds no catalogue");
    }
    // Nobody reads this copy before it is complete, and a failure discards it,
    // so it needs no journal on disk.
    db.Execute("PRAGMA journal_mode = MEMORY; PRAGMA synchronous = OFF");
    WriteTransaction transaction(db);
    if (!change(db)) return false;
    db.Execute("UPDATE meta SET value = value + 1 WHERE key = 'generation'");
    db.Execute(kNewContentStamp);
    transaction.Commit();
  }
  SyncPath(scratch.database(), O_RDONLY);
  if (::rename(scratch.database().c_str(), path.c_str()) != 0) {
    FailWithErrno("cannot replace " + path, errno);
  }
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  SyncPath(folder.empty() ? "." : folder.string(), O_RDONLY | O_DIRECTORY);
  return true;
}

}  // namespace

bool CatalogueWriter::EnsureCatalogue(const std::string& path) {
  if (HoldsCatalogue(path)) return false;
  CreateParentFolder(path);
  ImportLock lock(path);
  // Made by another service or import while this one waited for the lock.
  if (HoldsCatalogue(path)) return false;
  ScratchFolder::RemoveLeftovers(path);
  ScratchFolder scratch(path);
  BuildSeedDatabase(scratch.database());

  // link() refuses to replace a file, so a catalogue made meanwhile by someone
  // who does not take the lock stays.  An empty file (made for us by a
  // caller) is replaced whole, as is anything where links cannot be made.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 && ::link(scratch.database().c_str(), path.c_str()) == 0) {
    return true;
  }
  if (HoldsCatalogue(path)) return false;
  if (::rename(scratch.database().c_str(), path.c_str()) != 0) {
    FailWithErrno("cannot create " + path, errno);
  }
  return true;
}

ImportCounts CatalogueWriter::Import(const std::string& path,
                                     const std::vector<CatalogueEntry>& entries) {
  ImportCounts counts;
  Rebuild(path, true, [&](SqliteDatabase& db) {
    const std::int64_t before = CountEntries(db);
    UpsertAll(db, entries);
    counts.added = CountEntries(db) - before;
    counts.replaced = static_cast<std::int64_t>(entries.size()) - counts.added;
    return true;
  });
  return counts;
}

RemoveCounts CatalogueWriter::Remove(const std::string& path,
                                     const std::vector<std::string>& entry_ids) {
  RemoveCounts counts;
  Rebuild(path, false, [&](SqliteDatabase& db) {
    SqliteStatement present(db.handle(), "SELECT 1 FROM entries WHERE entry_id = ?1");
    for (const std::string& id : entry_ids) {
      present.BindText(1, id);
      if (!present.Step()) counts.missing.push_back(id);
      present.Reset();
    }
    if (!counts.missing.empty()) return false;
    const std::int64_t before = CountEntries(db);
    SqliteStatement remove(db.handle(), "DELETE FROM entries WHERE entry_id = ?1");
    for (const std::string& id : entry_ids) {
      remove.BindText(1, id);
      remove.Run();
    }
    counts.left = CountEntries(db);
    counts.removed = before - counts.left;
    return true;
  });
  return counts;
}

}  // namespace quorvel::service
