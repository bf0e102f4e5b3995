#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "service/store/catalogue_entry.h"

namespace quorvel::service {

// A line of an import file that was left out, and why.
struct RejectedLine {
  std::int64_t line = 0;  // counted from 1
  std::string reason;
};

struct TsvReadResult {
  std::vector<CatalogueEntry> entries;  // cleaned, in file order
  std::int64_t cleaned_fields = 0;      // fields that had framing characters removed
  std::vector<RejectedLine> rejected;
};

// Reads an import file: one entry a line, its six fields in reply order
// (Category, Title, LicenceMode, UpdateTime, DownloadLinks, EntryId) separated
// by tabs; "\n" or "\r\n" line ends; a UTF-8 byte order mark at the start is
// skipped, as are empty lines.  A line is rejected when it has another number
// of fields, is not valid UTF-8, or has an empty EntryId after cleaning.  The
// accepted entries are cleaned with CleanEntry.
TsvReadResult ReadTsv(std::istream& in);

// One line of an import file for `entry`, "\n" included.  Fields must not
// contain tabs or line ends.
std::string FormatTsvLine(const CatalogueEntry& entry);

}  // namespace quorvel::service
