#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quorvel::service {

class RowStore;

// The body of a listing reply: every one of `rows` of `store` as its six fields
// joined by U+0002 and followed by U+0001, then "?TtbBa?", the number of
// matches, "?" and the page count.  Built in one buffer sized up front.
std::string BuildListingReply(const RowStore& store, std::span<const std::size_t> rows,
                              std::int64_t matches, std::int64_t pages, std::string_view origin);

}  // namespace quorvel::service
