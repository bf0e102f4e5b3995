#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel::encoding {

// Decodes reply bytes into UTF-16 and never fails: each maximal subpart of an
// ill-formed sequence becomes one U+FFFD (the practice ICU and the WHATWG
// decoder follow), zero bytes and a leading byte order mark are kept.
//
// Writes at most `size` code units to `out` (one byte never yields more than
// one unit) and returns how many it wrote.
std::size_t DecodeUtf8Into(const unsigned char* bytes, std::size_t size, char16_t* out);

// The whole reply decoded at once.
std::u16string Utf8ToUnicode(std::string_view reply_bytes);

}  // namespace quorvel::encoding
