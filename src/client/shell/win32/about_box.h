#pragma once

#include <windows.h>

#include "client/shell/addresses.h"

namespace quorvel::shell {

// The About box: a message box titled "关于" with the About text, an OK
// button only and no icon, owned by `owner`; returns when the user closes it.
void ShowAboutBox(HWND owner, const ShellAddresses& addresses);

}  // namespace quorvel::shell
