#include "client/shell/qt/components/qt_main_components.h"

#include <utility>

#include "client/catalogue/curl/qt/qt_transfer.h"
#include "client/catalogue/qt/qt_list_view_handle.h"
#include "client/catalogue/qt/xdg_shell_open.h"
#include "client/shell/qt/components/qt_media_player.h"
#include "client/shell/qt/components/style_sheet_skin.h"

namespace quorvel::shell {

QtMainComponents::QtMainComponents(WebBrowserFactory make_web_browser)
    : make_web_browser_(std::move(make_web_browser)) {}

std::unique_ptr<catalogue::ListView> QtMainComponents::MakeListView(QWidget* host) {
  return catalogue::MakeQtListView(host);
}

std::unique_ptr<catalogue::Transfer> QtMainComponents::MakeTransfer() {
  return std::make_unique<catalogue::QtTransfer>();
}

std::unique_ptr<catalogue::ShellOpen> QtMainComponents::MakeShellOpen() {
  return std::make_unique<catalogue::XdgShellOpen>();
}

std::unique_ptr<WebBrowser> QtMainComponents::MakeWebBrowser(QWidget* host) {
  return make_web_browser_(host);
}

std::unique_ptr<MediaPlayer> QtMainComponents::MakeMediaPlayer() {
  return std::make_unique<QtMediaPlayer>();
}

std::unique_ptr<Skin> QtMainComponents::MakeSkin() { return std::make_unique<StyleSheetSkin>(); }

}  // namespace quorvel::shell
