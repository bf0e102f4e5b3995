#include "client/shell/win32/about_box.h"

#include "client/shell/about_text.h"
#include "client/shell/win32/win32_text.h"

namespace quorvel::shell {

void ShowAboutBox(HWND owner, const ShellAddresses& addresses) {
  const std::wstring text = Wide(AboutText(addresses));
  const std::wstring title = Wide(kAboutTitle);
  // MB_OK with no MB_ICON* flag: no icon, and no sound of one.
  MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | MB_SETFOREGROUND);
}

}  // namespace quorvel::shell
