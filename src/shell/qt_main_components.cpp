#include "shell/qt_main_components.h"

#include <QVBoxLayout>
#include <QWidget>

#include <utility>

#include "catalogue/qt_list_view.h"
#include "catalogue/qt_transfer.h"
#include "catalogue/xdg_shell_open.h"
#include "shell/qt_media_player.h"
#include "shell/style_sheet_skin.h"

namespace quorvel::shell {

std::unique_ptr<catalogue::ListView> MakeQtListView(QWidget* host) {
  auto view = std::make_unique<catalogue::QtListView>(host);
  auto* layout = new QVBoxLayout(host);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view.get());
  return view;
}

QtMainComponents::QtMainComponents(WebBrowserFactory make_web_browser)
    : make_web_browser_(std::move(make_web_browser)) {}

std::unique_ptr<catalogue::ListView> QtMainComponents::MakeListView(QWidget* host) {
  return MakeQtListView(host);
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
