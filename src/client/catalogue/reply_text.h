#pragma once

// The reply's bytes as the text the listing parser reads.

#include <string>
#include <string_view>

namespace quorvel::catalogue {

// The whole reply in one pass into one buffer sized from the byte count.
std::u16string DecodeReply(std::string_view reply_bytes);

// The same into `buffer`, which is grown when too small and never shrunk, so
// that a buffer kept between loads costs neither an allocation nor clearing;
// the text is the returned view into it.
std::u16string_view DecodeReplyInto(std::string_view reply_bytes, std::u16string& buffer);

}  // namespace quorvel::catalogue
