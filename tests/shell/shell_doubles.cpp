#include "shell_doubles.h"

#include <QWidget>

#include "shell/qt_main_components.h"

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

catalogue::TransferResult LoggingTransfer::OpenURL(const QString& address) {
  log_->append(QStringLiteral("OpenURL ") + address);
  return inner_.OpenURL(address);
}

void LoggingListView::PrepareView() {
  log_->append(QStringLiteral("PrepareView"));
  inner_->PrepareView();
}

void LoggingListView::AddColumn(int position, const QString& caption, int width) {
  log_->append(QStringLiteral("AddColumn %1 %2 %3").arg(position).arg(caption).arg(width));
  inner_->AddColumn(position, caption, width);
}

void LoggingListView::ApplyDisplaySettings() {
  log_->append(QStringLiteral("ApplyDisplaySettings"));
  inner_->ApplyDisplaySettings();
}

TestComponents::TestComponents(bool qt_list_view) : qt_list_view_(qt_list_view) {}
TestComponents::~TestComponents() = default;

std::unique_ptr<catalogue::ListView> TestComponents::MakeListView(QWidget* host) {
  std::unique_ptr<catalogue::ListView> inner;
  if (qt_list_view_) {
    inner = MakeQtListView(host);
  } else {
    auto fake = std::make_unique<catalogue::testing::FakeListView>();
    fake->SetLogging(false);
    fake_list_view = fake.get();
    inner = std::move(fake);
  }
  auto logging = std::make_unique<LoggingListView>(std::move(inner), &log);
  list_view = logging.get();
  return logging;
}

std::unique_ptr<catalogue::Transfer> TestComponents::MakeTransfer() {
  catalogue::Transfer& target = transfer_target_ != nullptr ? *transfer_target_ : scripted;
  return std::make_unique<LoggingTransfer>(target, &log);
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
  auto made = std::make_unique<RecordingSkin>(&log);
  made->SetResult(skin_result);
  made->SetProbe(skin_probe);
  skin = made.get();
  return made;
}

}  // namespace quorvel::shell::testing
