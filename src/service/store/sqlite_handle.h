#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace quorvel::service {

// Any failure of the catalogue database; the message says what and where.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One prepared statement.  Values are only ever bound, never spliced into SQL.
class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, std::string_view sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  void BindText(int index, std::string_view text);
  void BindInt64(int index, std::int64_t value);
  // Steps once; true while a row is available.
  bool Step();
  // Runs a statement that returns no rows, then resets it.
  void Run();
  void Reset();

  std::string ColumnText(int column) const;
  // Valid until the next Step() or Reset().
  std::string_view ColumnView(int column) const;
  std::int64_t ColumnInt64(int column) const;

 private:
  [[noreturn]] void Fail(std::string_view what) const;

  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// Resets a statement when leaving a scope, so a thrown error cannot leave it
// holding a read lock.
class StatementReset {
 public:
  explicit StatementReset(SqliteStatement& statement) : statement_(statement) {}
  ~StatementReset() { statement_.Reset(); }
  StatementReset(const StatementReset&) = delete;
  StatementReset& operator=(const StatementReset&) = delete;

 private:
  SqliteStatement& statement_;
};

// An open database connection.
class SqliteDatabase {
 public:
  enum class Mode { kReadOnly, kReadWriteCreate };

  // `busy_timeout_ms` as for SetBusyTimeout(), from the first statement on,
  // those that read the schema included.  Writers hold the lock only for the
  // moment of an import's commit.
  SqliteDatabase(const std::string& path, Mode mode, int busy_timeout_ms = 5000);
  ~SqliteDatabase();
  SqliteDatabase(const SqliteDatabase&) = delete;
  SqliteDatabase& operator=(const SqliteDatabase&) = delete;

  // Runs fixed SQL text (schema, pragmas, transaction control) with no values.
  void Execute(const char* sql);
  // How long a statement waits for another connection's lock before it fails
  // as busy; 0: it fails at once.
  void SetBusyTimeout(int milliseconds);
  // Copies this whole database, as one consistent snapshot, over `target`.
  void CopyTo(SqliteDatabase& target);
  sqlite3* handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
  std::string path_;
};

}  // namespace quorvel::service
