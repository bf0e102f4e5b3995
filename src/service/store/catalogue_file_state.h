#pragma once

#include <cstdint>
#include <string>

namespace quorvel::service {

// The catalogue file and its write-ahead log ("-wal") as the file system shows
// them.  Observe() costs two stat calls, cheap enough to ask every
// millisecond, and tells that the catalogue was replaced, edited in place or
// committed to in its log: each of those changes a size or a write time.
//
// What it cannot tell is a second commit within one tick of the file system's
// clock that leaves both sizes alone.  CommitMarks() reads what SQLite itself
// changes on every commit, for the moments when that matters.
struct CatalogueFileState {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = -1;  // -1: there is no file
  std::int64_t modified_ns = 0;
  // The file's last status change: a rename over the path, a link, a change
  // of mode.  Unlike the write time, nobody can set it back.
  std::int64_t changed_ns = 0;
  std::int64_t log_size = -1;  // -1: there is no log
  std::int64_t log_modified_ns = 0;

  bool operator==(const CatalogueFileState&) const = default;

  // The latest write to the file or to its log, in nanoseconds since 1970.
  std::int64_t LatestWriteNs() const;

  // Looks at the file, and at its log too unless `with_log` is false: a file
  // kept with a rollback journal has no log to look at, and switching it to a
  // log rewrites its header, which shows in the file itself.
  static CatalogueFileState Observe(const std::string& path, bool with_log = true);

  // Whether the file's header says it is kept with a write-ahead log.
  static bool KeepsLog(const std::string& path);

  // The database header's change counter (every commit outside WAL mode), the
  // log's header salts (every restart of the log) and the log's size (every
  // commit in WAL mode), folded into one number.  Reads a few bytes of each file.
  static std::uint64_t CommitMarks(const std::string& path);
};

}  // namespace quorvel::service
