#include "doubles/client/shell/shell_doubles.h"

#include <QWidget>

#include "client/catalogue/qt/qt_list_view_handle.h"

namespace quorvel::shell::testing {

void RecordingWebBrowser::Navigate(const QString& address) {
  addresses_.append(address);
  log_->append(name_ + QStringLiteral(".Navigate ") + address);
}

void RecordingMediaPlayer::SetURL(const QString& file_path) {
  urls_.append(file_path);
  log_->append(QStringLiteral("WindowsMediaPlayer1.URL ") + file_path);
}

bool RecordingSkin::SkinH_AttachEx(const QString& skin_file, const QString& password) {
  files_.append(skin_file);
  log_->append(QStringLiteral("SkinH_AttachEx ") + skin_file + QStringLiteral(" [") + password +
               QStringLiteral("]"));
  if (probe_) probe_();
  return result_;
}

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
  auto browser = std::make_unique<RecordingWebBrowser>(
      host->window()->objectName() + QStringLiteral(".") + host->objectName(), &log);
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
