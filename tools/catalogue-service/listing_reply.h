#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "catalogue-service/catalogue_entry.h"

namespace quorvel::service {

// Number of pages needed for `matches` entries, `page_size` a page: 0 when
// nothing matches.
std::int64_t PageCount(std::int64_t matches, int page_size);

// Index of the first match shown on `page` (counted from 1).
std::int64_t FirstIndexOfPage(std::int32_t page, int page_size);

// Makes the addresses in a DownloadLinks text absolute: an address that starts
// with a single "/" is a path on this service and gets `origin` (such as
// "http://127.0.0.1:8731") in front.  Everything else is kept byte for byte.
std::string ResolveDownloadLinks(std::string_view links, std::string_view origin);

// The body of a listing reply: every entry as its six fields joined by U+0002
// and followed by U+0001, then "?TtbBa?", the number of matches, "?" and the
// page count.
std::string BuildListingReply(std::span<const EntryPointer> entries, std::int64_t matches,
                              std::int64_t pages, std::string_view origin);

}  // namespace quorvel::service
