#pragma once

#include <cstdint>

namespace quorvel::service {

class SqliteDatabase;

// Marks a file as ours ("QvCS"; the schema text below spells it in decimal), so
// that another program's database is refused rather than misread.
inline constexpr std::int32_t kCatalogueApplicationId = 0x51764353;
inline constexpr std::int32_t kCatalogueSchemaVersion = 1;

// In table meta, `generation` grows with every import, and `stamp` is a
// random 128-bit blob that every import writes anew: it names the content in
// the catalogue's identity (CatalogueIdentity), which a counter cannot, since
// a new file starts counting again.
inline constexpr const char* kCatalogueSchema = R"sql(
CREATE TABLE entries (
  seq INTEGER PRIMARY KEY,
  entry_id TEXT NOT NULL UNIQUE,
  category TEXT NOT NULL,
  title TEXT NOT NULL,
  licence_mode TEXT NOT NULL,
  update_time TEXT NOT NULL,
  download_links TEXT NOT NULL,
  category_key TEXT NOT NULL,  -- AsciiFold(category)
  title_key TEXT NOT NULL      -- AsciiFold(title)
);
CREATE INDEX entries_by_update ON entries (update_time DESC);
CREATE TABLE meta (key TEXT PRIMARY KEY, value INTEGER NOT NULL);
INSERT INTO meta (key, value) VALUES ('generation', 1);
INSERT INTO meta (key, value) VALUES ('stamp', randomblob(16));
PRAGMA application_id = 1366704979;
PRAGMA user_version = 1;
)sql";

// Gives the catalogue a new content stamp; part of every write transaction.
inline constexpr const char* kNewContentStamp =
    "INSERT OR REPLACE INTO meta (key, value) VALUES ('stamp', randomblob(16))";

// Throws StoreError unless `db` carries our application id and schema version.
void CheckCatalogueSchema(SqliteDatabase& db, const char* path);

}  // namespace quorvel::service
