#pragma once

#include <memory>

#include "client/catalogue/components.h"
#include "client/shell/media_player.h"
#include "client/shell/skin.h"
#include "client/shell/web_browser.h"

class QWidget;

namespace quorvel::shell {

// Everything the main window needs from outside the program.  The program
// uses the Qt adapters; the tests use doubles that record what was asked.
class MainComponents {
 public:
  virtual ~MainComponents() = default;
  // The catalogue list, shown filling `host`.
  virtual std::unique_ptr<catalogue::ListView> MakeListView(QWidget* host) = 0;
  virtual std::unique_ptr<catalogue::Transfer> MakeTransfer() = 0;
  virtual std::unique_ptr<catalogue::ShellOpen> MakeShellOpen() = 0;
  // A browser filling `host`: the tip page and the notice window's pages.
  virtual std::unique_ptr<WebBrowser> MakeWebBrowser(QWidget* host) = 0;
  virtual std::unique_ptr<MediaPlayer> MakeMediaPlayer() = 0;
  virtual std::unique_ptr<Skin> MakeSkin() = 0;
};

}  // namespace quorvel::shell
