#pragma once

#include <QIcon>

namespace quorvel::shell {

// The program's icon with all of its images: 16, 24, 32, 48, 128 and 256
// pixels at 32 bits, and 48 and 256 pixels at 8 bits.
QIcon AppIcon();

}  // namespace quorvel::shell
