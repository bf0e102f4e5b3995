#include "service/store/sqlite_handle.h"

#include <sqlite3.h>

namespace quorvel::service {

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) : db_(db) {
  if (sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                         &stmt_, nullptr) != SQLITE_OK) {
    Fail("prepare");
  }
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

void SqliteStatement::BindText(int index, std::string_view text) {
  if (sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8) !=
      SQLITE_OK) {
    Fail("bind");
  }
}

void SqliteStatement::BindInt64(int index, std::int64_t value) {
  if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) Fail("bind");
}

bool SqliteStatement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail("step");
}

void SqliteStatement::Run() {
  StatementReset reset(*this);
  while (Step()) {
  }
}

void SqliteStatement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::string SqliteStatement::ColumnText(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  const int size = sqlite3_column_bytes(stmt_, column);
  return text == nullptr ? std::string() : std::string(text, static_cast<std::size_t>(size));
}

std::string_view SqliteStatement::ColumnView(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  const int size = sqlite3_column_bytes(stmt_, column);
  return text == nullptr ? std::string_view()
                         : std::string_view(text, static_cast<std::size_t>(size));
}

std::int64_t SqliteStatement::ColumnInt64(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

void SqliteStatement::Fail(std::string_view what) const {
  throw StoreError("sqlite " + std::string(what) + ": " + sqlite3_errmsg(db_));
}

SqliteDatabase::SqliteDatabase(const std::string& path, Mode mode, int busy_timeout_ms)
    : path_(path) {
  int flags = SQLITE_OPEN_NOMUTEX |
              (mode == Mode::kReadWriteCreate ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                              : SQLITE_OPEN_READONLY);
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw StoreError("cannot open " + path + ": " + message);
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, busy_timeout_ms);
}

SqliteDatabase::~SqliteDatabase() { sqlite3_close(db_); }

void SqliteDatabase::SetBusyTimeout(int milliseconds) { sqlite3_busy_timeout(db_, milliseconds); }

void SqliteDatabase::Execute(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string text = message != nullptr ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    throw StoreError(path_ + ": " + text);
  }
}

void SqliteDatabase::CopyTo(SqliteDatabase& target) {
  sqlite3_backup* backup = sqlite3_backup_init(target.db_, "main", db_, "main");
  if (backup == nullptr) throw StoreError(target.path_ + ": " + sqlite3_errmsg(target.db_));
  const int stepped = sqlite3_backup_step(backup, -1);
  const int finished = sqlite3_backup_finish(backup);
  if (stepped != SQLITE_DONE || finished != SQLITE_OK) {
    throw StoreError("cannot copy " + path_ + " to " + target.path_ + ": " +
                     sqlite3_errmsg(target.db_));
  }
}

}  // namespace quorvel::service
