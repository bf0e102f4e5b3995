#pragma once

#include "client/shell/win32/main_components.h"

namespace quorvel::shell {

// The program's components on Windows: the transfer on WinHTTP, the shell
// "open" with ShellExecuteW, the system's web browser control, the music
// through MCI, and no skin: the windows keep the system's look.
class Win32MainComponents final : public MainComponents {
 public:
  std::unique_ptr<catalogue::Transfer> MakeTransfer() override;
  std::unique_ptr<catalogue::ShellOpen> MakeShellOpen() override;
  std::unique_ptr<WebBrowser> MakeWebBrowser(HWND host) override;
  std::unique_ptr<MediaPlayer> MakeMediaPlayer() override;
  std::unique_ptr<Skin> MakeSkin() override;
};

}  // namespace quorvel::shell
