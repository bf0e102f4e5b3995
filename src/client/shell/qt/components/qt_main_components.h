#pragma once

#include "client/shell/qt/main_components.h"
#include "client/shell/qt/web_browser_factory.h"

namespace quorvel::shell {

// The program's components: the Qt list view, transfer and media player,
// xdg-open for addresses, the style-sheet skin, and browsers from the given
// factory (the web engine's, or blank ones where the program is built
// without web pages).
class QtMainComponents final : public MainComponents {
 public:
  explicit QtMainComponents(WebBrowserFactory make_web_browser);

  std::unique_ptr<catalogue::ListView> MakeListView(QWidget* host) override;
  std::unique_ptr<catalogue::Transfer> MakeTransfer() override;
  std::unique_ptr<catalogue::ShellOpen> MakeShellOpen() override;
  std::unique_ptr<WebBrowser> MakeWebBrowser(QWidget* host) override;
  std::unique_ptr<MediaPlayer> MakeMediaPlayer() override;
  std::unique_ptr<Skin> MakeSkin() override;

 private:
  WebBrowserFactory make_web_browser_;
};

}  // namespace quorvel::shell
