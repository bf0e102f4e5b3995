#pragma once

#include <QString>

#include "client/shell/addresses.h"

namespace quorvel::shell {

inline constexpr char16_t kAboutTitle[] = u"关于";

// The About box's eight lines, joined by carriage return and line feed.
QString AboutText(const ShellAddresses& addresses);

}  // namespace quorvel::shell
