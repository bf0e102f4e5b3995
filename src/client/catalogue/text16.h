#pragma once

// The few things the client does with its UTF-16 text besides keeping it:
// numbers written out, the %1 of a sentence filled in, and letter case
// ignored in ASCII names.

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel::catalogue {

// `value` in decimal, with a minus sign when negative.
std::u16string Decimal(std::int64_t value);

// `sentence` with its first "%1" replaced by `fill`; unchanged without one.
std::u16string FillIn(std::u16string_view sentence, std::u16string_view fill);

// ASCII text as UTF-16, unit for unit: build-time addresses and numbers.
std::u16string FromAscii(std::string_view ascii);

// Equal when A-Z and a-z are taken as the same; nothing else is folded.
bool EqualIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

}  // namespace quorvel::catalogue
