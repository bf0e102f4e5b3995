#pragma once

#include <ostream>
#include <string>

namespace quorvel::service {

// --export: writes the catalogue at `db_path` to `file` ("-": standard output)
// as an import file (ExportTsv), which an import into a new catalogue turns
// into one that gives the same replies.  A file is written beside its place
// and renamed over it once whole, so `file` holds either what it held before
// or the whole export.  When the catalogue cannot be read or holds an entry
// that an import line cannot carry, nothing is written and `err` ends with
// one line saying why.  Returns the exit status: 0 when exported, 1 when not.
int RunExport(const std::string& db_path, const std::string& file, std::ostream& out,
              std::ostream& err);

}  // namespace quorvel::service
