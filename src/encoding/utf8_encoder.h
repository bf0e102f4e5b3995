#pragma once

#include <string>
#include <string_view>

namespace quorvel::encoding {

// UTF-16 text as UTF-8 bytes: a surrogate pair becomes one four-byte
// sequence, a lone surrogate U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace quorvel::encoding
