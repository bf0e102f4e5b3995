#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace quorvel::service {

// --import: reads all of `file` first, and changes the catalogue at `db_path`
// only when the file was read to its end, holds at least one valid entry and
// has no more than `max_skipped` lines skipped.  Otherwise the catalogue is
// left as it was, not even created, and `err` ends with one line naming the
// cause and the line it was met at.  A regular file, a pipe or a character
// device is read; anything else is refused.  `file` "-" is standard input.
// Returns the exit status: 0 when imported, 1 when not.
int RunImport(const std::string& file, const std::string& db_path, std::int64_t max_skipped,
              std::ostream& out, std::ostream& err);

}  // namespace quorvel::service
