#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "service/store/catalogue_entry.h"

namespace quorvel::service {

// Why `entry` cannot be written as an import line that reads back as the
// same entry (a tab or a line end in a field, a field that is not UTF-8 or
// longer than an import takes, an empty EntryId); empty when it can.
std::string TsvLineProblem(const CatalogueEntry& entry);

// The import line for `entry`, which has no TsvLineProblem(), with its line
// end.  An import drops a byte order mark at the start of its first line and
// one "\r" before a line end, so the line keeps a Category that starts with
// one (on the first line) and an EntryId that ends with one.
std::string TsvExportLine(const CatalogueEntry& entry, bool first_line);

struct TsvExportResult {
  std::int64_t entries = 0;
  // Why nothing was written: an entry with a TsvLineProblem(), named by its
  // EntryId; empty when all went to `write`.
  std::string problem;
  bool write_failed = false;  // `write` refused the rest
};

// Writes the catalogue at `path` through `write` as an import file, one
// TsvExportLine() an entry in order of first import: imported into a new
// catalogue, it gives one whose replies are those of this one, byte for byte.
// Every entry is checked before the first byte is written.  `write` returns
// false when it cannot take more.  Throws StoreError when `path` cannot be
// read as a catalogue.
TsvExportResult ExportTsv(const std::string& path,
                          const std::function<bool(std::string_view)>& write);

}  // namespace quorvel::service
