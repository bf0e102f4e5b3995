#pragma once

#include <windows.h>

#include <memory>

#include "client/catalogue/components.h"
#include "client/shell/media_player.h"
#include "client/shell/skin.h"
#include "client/shell/web_browser.h"

namespace quorvel::shell {

// Everything the Win32 windows need from outside the program.  The program
// uses the Win32 adapters; the tests use doubles that record what was asked,
// or the real adapters where they say so.
class MainComponents {
 public:
  virtual ~MainComponents() = default;
  virtual std::unique_ptr<catalogue::Transfer> MakeTransfer() = 0;
  virtual std::unique_ptr<catalogue::ShellOpen> MakeShellOpen() = 0;
  // A browser filling `host`, a child window that carries the browser's place
  // and size in the window's design and gives its first child its whole area.
  virtual std::unique_ptr<WebBrowser> MakeWebBrowser(HWND host) = 0;
  virtual std::unique_ptr<MediaPlayer> MakeMediaPlayer() = 0;
  virtual std::unique_ptr<Skin> MakeSkin() = 0;
};

}  // namespace quorvel::shell
