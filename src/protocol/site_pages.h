#pragma once

#include <string_view>

namespace quorvel::protocol {

// Pages beside the listing, at the paths the client asks for them: the tip
// page the main window loads out of sight, and the notice along the bottom of
// the notice window.
inline constexpr std::string_view kTipPagePath = "/tishi1.8.html";
inline constexpr std::string_view kNoticePagePath = "/gonggao.html";

// A download page: this prefix, then the entry's EntryId.  The starter
// catalogue's links point there.
inline constexpr std::string_view kDownloadPrefix = "/download/";

}  // namespace quorvel::protocol
