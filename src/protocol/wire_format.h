#pragma once

#include <string_view>

namespace quorvel::protocol {

// The framing of a listing reply, shared by the reply builder and the field cleaner.
inline constexpr std::string_view kListingPath = "/adminphp/admin_upload.php";
inline constexpr std::string_view kRecordSeparator = "\x01";
inline constexpr std::string_view kFieldSeparator = "\x02";
inline constexpr std::string_view kTrailerMarker = "?TtbBa?";
inline constexpr std::string_view kLinkSeparator = "/**/";
inline constexpr std::string_view kLinkNameSeparator = "/*/";

}  // namespace quorvel::protocol
