#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/store/catalogue_entry.h"

namespace quorvel::service {

// The longest line an import reads, "\r\n" aside; a longer one is skipped
// without being held, so no line can exhaust memory.
inline constexpr std::size_t kMaxImportLineBytes = std::size_t{1} << 20;

// The longest each field may be, in bytes of UTF-8, in reply order; a line
// with a longer field is skipped, so no entry can swell every page it is on.
struct FieldLimit {
  std::string_view name;
  std::size_t bytes;
};
inline constexpr std::array<FieldLimit, 6> kImportFieldLimits = {{{"Category", 1024},
                                                                  {"Title", 4096},
                                                                  {"LicenceMode", 1024},
                                                                  {"UpdateTime", 1024},
                                                                  {"DownloadLinks", 16384},
                                                                  {"EntryId", 1024}}};

// A line of an import file that was left out, and why; or where and why the
// file could not be read on.
struct RejectedLine {
  std::int64_t line = 0;  // counted from 1
  std::string reason;
};

struct TsvReadResult {
  std::vector<CatalogueEntry> entries;  // cleaned, in file order
  std::int64_t cleaned_fields = 0;      // fields that had framing characters removed
  std::vector<RejectedLine> rejected;
  std::int64_t lines = 0;  // lines read
  // Set when the file could not be read to its end (a read error, no memory
  // left): everything after `failure->line` is unknown.
  std::optional<RejectedLine> failure;
};

// Gets up to `size` bytes into `buffer`: how many, 0 at the end, or -1 with
// errno set when reading fails.
using ReadSome = std::function<long(char* buffer, std::size_t size)>;

inline constexpr std::int64_t kSkipAnyNumber = std::numeric_limits<std::int64_t>::max();

// Reads an import file: one entry a line, its six fields in reply order
// (Category, Title, LicenceMode, UpdateTime, DownloadLinks, EntryId) separated
// by tabs; "\n" or "\r\n" line ends; a UTF-8 byte order mark at the start is
// skipped, as are empty lines.  A line is rejected when it is longer than
// kMaxImportLineBytes, is not valid UTF-8, has another number of fields, has a
// field longer than its kImportFieldLimits, or has an empty EntryId after
// cleaning.  The accepted entries are cleaned with CleanEntry.  Reading stops
// at the first rejected line past `max_skipped`, as soon as it is known to be
// rejected, so that an endless stream of rubbish ends too.  Time and memory
// grow linearly with the file.
TsvReadResult ReadTsv(const ReadSome& read, std::int64_t max_skipped = kSkipAnyNumber);
TsvReadResult ReadTsv(std::istream& in, std::int64_t max_skipped = kSkipAnyNumber);

// One line of an import file for `entry`, "\n" included.  Fields must not
// contain tabs or line ends.
std::string FormatTsvLine(const CatalogueEntry& entry);

}  // namespace quorvel::service
