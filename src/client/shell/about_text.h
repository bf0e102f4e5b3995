#pragma once

#include <string>
#include <string_view>

#include "client/shell/addresses.h"

namespace quorvel::shell {

inline constexpr std::u16string_view kAboutTitle = u"关于";

// The About box's eight lines, joined by carriage return and line feed.
std::u16string AboutText(const ShellAddresses& addresses);

}  // namespace quorvel::shell
