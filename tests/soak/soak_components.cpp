#include "soak_components.h"

#include "catalogue/qt/qt_list_view_handle.h"
#include "shell/qt/style_sheet_skin.h"
#include "shell/testing/shell_doubles.h"
#include "shell/web_browser.h"

namespace quorvel::soak {

std::unique_ptr<catalogue::ListView> SoakComponents::MakeListView(QWidget* host) {
  return catalogue::MakeQtListView(host);
}

std::unique_ptr<catalogue::Transfer> SoakComponents::MakeTransfer() {
  return std::make_unique<catalogue::QtTransfer>(limits_);
}

std::unique_ptr<catalogue::ShellOpen> SoakComponents::MakeShellOpen() {
  auto open = std::make_unique<catalogue::testing::RecordingShellOpen>();
  shell_open = open.get();
  return open;
}

std::unique_ptr<shell::WebBrowser> SoakComponents::MakeWebBrowser(QWidget*) {
  return std::make_unique<shell::NullWebBrowser>();
}

std::unique_ptr<shell::MediaPlayer> SoakComponents::MakeMediaPlayer() {
  return std::make_unique<shell::testing::RecordingMediaPlayer>(&played_);
}

std::unique_ptr<shell::Skin> SoakComponents::MakeSkin() {
  return std::make_unique<shell::StyleSheetSkin>();
}

}  // namespace quorvel::soak
