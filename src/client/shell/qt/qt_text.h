#pragma once

// The client's UTF-16 text as Qt's, unit for unit, where it meets the widgets.

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

namespace quorvel::shell {

inline QString ToQString(std::u16string_view text) { return QStringView(text).toString(); }

inline std::u16string ToU16(QStringView text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<std::size_t>(text.size()));
}

}  // namespace quorvel::shell
