#include "service/store/catalogue_schema.h"

#include <string>

#include "service/store/sqlite_handle.h"

namespace quorvel::service {
namespace {

std::int64_t ReadPragma(SqliteDatabase& db, const char* sql) {
  SqliteStatement statement(db.handle(), sql);
  return statement.Step() ? statement.ColumnInt64(0) : 0;
}

}  // namespace

void CheckCatalogueSchema(SqliteDatabase& db, const char* path) {
  if (ReadPragma(db, "PRAGMA application_id") != kCatalogueApplicationId) {
    throw StoreError(std::string(path) + " is not a catalogue database of this service");
  }
  const std::int64_t version = ReadPragma(db, "PRAGMA user_version");
  if (version != kCatalogueSchemaVersion) {
    throw StoreError(std::string(path) + " has catalogue schema version " +
                     std::to_string(version) + "; this service reads version " +
                     std::to_string(kCatalogueSchemaVersion));
  }
}

}  // namespace quorvel::service
