#pragma once

// Conversion of values read back from a property store to the types of the
// control's properties. Each conversion gives nullopt for a value that cannot
// be read as its type; the restore then treats the key as absent.

#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>

#include "progressbar/colour.h"
#include "progressbar/property_store.h"

namespace quorvel::progressbar {

// Fonts larger than this (in points or pixels) are not accepted from a store:
// drawing one would cost more than any caption is worth.
inline constexpr double kLargestStoredFontSize = 512;

// A whole number: any integer type in range; a floating-point number rounded
// to the nearest integer, halves to even; true as -1 and false as 0; text
// holding a decimal number (surrounding blanks allowed, '.' as decimal
// separator) or a hexadecimal one written &Hxxxx.
std::optional<std::int32_t> StoredInt32(const QVariant& value);

// A colour: a whole number as above in the range of a signed or an unsigned
// 32-bit integer, taken as its 32-bit pattern.
std::optional<Colour> StoredColour(const QVariant& value);

// A Boolean: bool itself; a number, true when it is not 0; the text "true" or
// "false" in any case, or text holding a number.
std::optional<bool> StoredBoolean(const QVariant& value);

// Text: text itself (bytes as UTF-8); a number as its decimal text; a Boolean
// as "True" or "False". Fonts and invalid values are not text.
std::optional<QString> StoredText(const QVariant& value);

// A font object: a FontRef as it is (the same object); a QFont or Qt's font
// string form as a new object. A null reference, a string QFont cannot read
// and a font larger than kLargestStoredFontSize are not fonts.
std::optional<FontRef> StoredFont(const QVariant& value);

}  // namespace quorvel::progressbar
