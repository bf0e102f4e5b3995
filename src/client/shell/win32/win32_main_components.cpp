#include "client/shell/win32/win32_main_components.h"

#include "client/catalogue/win32/shell_execute_open.h"
#include "client/catalogue/win32/winhttp_transfer.h"
#include "client/shell/win32/atl_web_browser.h"
#include "client/shell/win32/mci_media_player.h"
#include "client/shell/win32/platform_look_skin.h"

namespace quorvel::shell {

std::unique_ptr<catalogue::Transfer> Win32MainComponents::MakeTransfer() {
  return std::make_unique<catalogue::WinHttpTransfer>();
}

std::unique_ptr<catalogue::ShellOpen> Win32MainComponents::MakeShellOpen() {
  return std::make_unique<catalogue::ShellExecuteOpen>();
}

std::unique_ptr<WebBrowser> Win32MainComponents::MakeWebBrowser(HWND host) {
  // The browser fills its host, which keeps it so when the host is resized.
  RECT area{};
  GetClientRect(host, &area);
  return std::make_unique<AtlWebBrowser>(host, area);
}

std::unique_ptr<MediaPlayer> Win32MainComponents::MakeMediaPlayer() {
  return std::make_unique<MciMediaPlayer>();
}

std::unique_ptr<Skin> Win32MainComponents::MakeSkin() {
  return std::make_unique<PlatformLookSkin>();
}

}  // namespace quorvel::shell
