#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::service {

class RowStore;

// Number of pages needed for `matches` entries, `page_size` a page: 0 when
// nothing matches.
std::int64_t PageCount(std::int64_t matches, int page_size);

// Index of the first match shown on `page` (counted from 1).
std::int64_t FirstIndexOfPage(std::int32_t page, int page_size);

// Makes the addresses in a DownloadLinks text absolute: an address that starts
// with a single "/" is a path on this service and gets `origin` (such as
// "http://127.0.0.1:8731") in front.  Everything else is kept byte for byte.
std::string ResolveDownloadLinks(std::string_view links, std::string_view origin);
// Where ResolveDownloadLinks puts the origin: offsets into `links`, ascending,
// appended to `places`.  Links are at most a few hundred megabytes.
void FindOriginPlaces(std::string_view links, std::vector<std::uint32_t>& places);

// The body of a listing reply: every one of `rows` of `store` as its six fields
// joined by U+0002 and followed by U+0001, then "?TtbBa?", the number of
// matches, "?" and the page count.  Built in one buffer sized up front.
std::string BuildListingReply(const RowStore& store, std::span<const std::size_t> rows,
                              std::int64_t matches, std::int64_t pages, std::string_view origin);

}  // namespace quorvel::service
