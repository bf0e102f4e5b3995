#include "doubles/client/shell/qt/shell_doubles.h"

#include <QWidget>

#include "client/catalogue/qt/qt_list_view_handle.h"

namespace quorvel::shell::testing {

TestComponents::TestComponents(bool qt_list_view) : qt_list_view_(qt_list_view) {
  scripted.WriteLogTo(&log);
}
TestComponents::~TestComponents() = default;

std::unique_ptr<catalogue::ListView> TestComponents::MakeListView(QWidget* host) {
  if (qt_list_view_) return catalogue::MakeQtListView(host);
  auto fake = std::make_unique<catalogue::testing::FakeListView>();
  fake->WriteLogTo(&log);
  fake_list_view = fake.get();
  return fake;
}

std::unique_ptr<catalogue::Transfer> TestComponents::MakeTransfer() {
  return make_transfer ? make_transfer() : scripted.Handle();
}

std::unique_ptr<catalogue::ShellOpen> TestComponents::MakeShellOpen() {
  auto open = std::make_unique<catalogue::testing::RecordingShellOpen>();
  shell_open = open.get();
  return open;
}

std::unique_ptr<WebBrowser> TestComponents::MakeWebBrowser(QWidget* host) {
  const QString name = host->window()->objectName() + QStringLiteral(".") + host->objectName();
  auto browser = std::make_unique<RecordingWebBrowser>(name.toStdU16String(), &log);
  browsers.push_back(browser.get());
  return browser;
}

std::unique_ptr<MediaPlayer> TestComponents::MakeMediaPlayer() {
  auto player = std::make_unique<RecordingMediaPlayer>(&log);
  media_player = player.get();
  return player;
}

std::unique_ptr<Skin> TestComponents::MakeSkin() {
  if (make_skin) return make_skin();
  auto made = std::make_unique<RecordingSkin>(&log);
  made->SetResult(skin_result);
  made->SetProbe(skin_probe);
  skin = made.get();
  return made;
}

}  // namespace quorvel::shell::testing
