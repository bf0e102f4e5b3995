#pragma once

// The client's side of a listing request: the text that follows the listing
// folder of ServerUrl.

#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/wire_format.h"

namespace quorvel::protocol {

// The script and the "?" that starts its query.
inline constexpr std::string_view kScriptName = kJoined<kListingScript, kQueryStart>;

// Only U+0020 is removed, at both ends: other white space and inner spaces stay.
std::u16string_view TrimSpaces(std::u16string_view term);

// The trimmed term in the percent form the service reads from q=.
std::u16string EncodeTerm(std::u16string_view term);

// "page=1&q=" and the encoded term: a category's or a search's first page.
std::u16string FirstPageQuery(std::u16string_view term);

// "page=" and the number alone: paging, and the start-up load of page 1,
// always walk the whole catalogue.
std::u16string PagingQuery(std::int32_t page_no);

}  // namespace quorvel::protocol
