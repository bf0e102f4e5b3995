#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace quorvel::protocol {

// What one listing request asks for.
struct ListingQuery {
  std::int32_t page = 1;  // counted from 1
  std::string term;       // UTF-8; empty means the whole catalogue
};

// Why a listing request cannot be answered: one line for the caller.
struct QueryError {
  std::string reason;
};

// Longest search term accepted, in bytes after decoding.  Titles are short, so a
// longer term can match nothing and would only cost a scan.
inline constexpr std::size_t kMaxTermBytes = 1024;

// Reads the raw query string of a listing request (the text after "?", still
// percent-encoded): page=N is required and must be a whole number from 1 to
// 2147483647; q is optional.  Keys other than page and q are ignored, but every
// part must decode, and page and q may each appear once.
std::variant<ListingQuery, QueryError> ParseListingQuery(std::string_view raw_query);

}  // namespace quorvel::protocol
