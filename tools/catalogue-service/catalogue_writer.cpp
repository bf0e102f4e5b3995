#include "catalogue-service/catalogue_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "catalogue-service/ascii_fold.h"
#include "catalogue-service/catalogue_schema.h"
#include "catalogue-service/seed_catalogue.h"
#include "catalogue-service/sqlite_handle.h"

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

}  // namespace

bool CatalogueWriter::EnsureCatalogue(const std::string& path) {
  struct stat info {};
  const bool exists = ::stat(path.c_str(), &info) == 0;
  if (exists && info.st_size > 0) {
    SqliteDatabase db(path, SqliteDatabase::Mode::kReadOnly);
    CheckCatalogueSchema(db, path.c_str());
    return false;
  }

  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) {
    std::error_code error;
    std::filesystem::create_directories(parent, error);
    if (error) throw StoreError("cannot create folder " + parent.string() + ": " + error.message());
  }
  const std::string fresh = path + ".new-" + std::to_string(::getpid());
  ::unlink(fresh.c_str());
  ::unlink((fresh + "-journal").c_str());
  try {
    BuildSeedDatabase(fresh);
  } catch (...) {
    ::unlink(fresh.c_str());
    throw;
  }

  // link() refuses to replace a file, so when two services start together on a
  // missing path the first one's database stays.  An empty file (made for us
  // by a caller) is replaced whole.
  if (!exists && ::link(fresh.c_str(), path.c_str()) == 0) {
    ::unlink(fresh.c_str());
    return true;
  }
  const int link_error = errno;
  if (!exists && link_error == EEXIST) {
    ::unlink(fresh.c_str());
    return EnsureCatalogue(path);
  }
  if (::rename(fresh.c_str(), path.c_str()) != 0) {
    const int rename_error = errno;
    ::unlink(fresh.c_str());
    FailWithErrno("cannot create " + path, rename_error);
  }
  return true;
}

ImportCounts CatalogueWriter::Import(const std::string& path,
                                     const std::vector<CatalogueEntry>& entries) {
  EnsureCatalogue(path);
  SqliteDatabase db(path, SqliteDatabase::Mode::kReadWriteCreate);
  CheckCatalogueSchema(db, path.c_str());
  WriteTransaction transaction(db);
  const std::int64_t before = CountEntries(db);
  UpsertAll(db, entries);
  const std::int64_t after = CountEntries(db);
  db.Execute("UPDATE meta SET value = value + 1 WHERE key = 'generation'");
  transaction.Commit();

  ImportCounts counts;
  counts.added = after - before;
  counts.replaced = static_cast<std::int64_t>(entries.size()) - counts.added;
  return counts;
}

}  // namespace quorvel::service
