#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::protocol {

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

// Bytes AppendTrailer adds at most.
inline constexpr std::size_t kTrailerBytesBound = 48;  // marker and two numbers

// Ends a listing reply: "?TtbBa?", the number of matches, "?" and the page count.
void AppendTrailer(std::int64_t matches, std::int64_t pages, std::string& out);

}  // namespace quorvel::protocol
