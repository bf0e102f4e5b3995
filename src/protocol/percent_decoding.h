#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel::protocol {

// Decodes one key or value of a form-style query: "+" is a space and "%"
// followed by two hex digits (either case) is that byte.  Returns nothing when
// a "%" is not followed by two hex digits, since guessing what such a request
// meant would answer a question nobody asked.  Bytes are not checked here.
std::optional<std::string> PercentDecode(std::string_view text);

// True when `bytes` is well-formed UTF-8: shortest forms only, no surrogates,
// nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

}  // namespace quorvel::protocol
