#pragma once

// Small checks on the client's UTF-16 text, for tests on every platform.

#include <string>
#include <string_view>

#include "encoding/utf8_encoder.h"

namespace quorvel::testing {

// For failure messages: GoogleTest prints UTF-16 as escapes.
inline std::string Utf8(std::u16string_view text) { return encoding::Utf16ToUtf8(text); }

inline bool Contains(std::u16string_view text, std::u16string_view part) {
  return text.find(part) != std::u16string_view::npos;
}

}  // namespace quorvel::testing
