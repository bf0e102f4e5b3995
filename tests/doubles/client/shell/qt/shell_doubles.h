#pragma once

// Doubles of the shell's outside components, and a component set for the
// window built from them and the catalogue's doubles.  Every double writes
// what it is asked into one shared log, so a test sees the order of the
// start-up steps across them.

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "doubles/client/catalogue/fake_list_view.h"
#include "doubles/client/catalogue/recording_shell_open.h"
#include "doubles/client/catalogue/scripted_transfer.h"
#include "qt_printers.h"
#include "client/shell/qt/main_components.h"

namespace quorvel::shell::testing {

class RecordingWebBrowser final : public WebBrowser {
 public:
  RecordingWebBrowser(QString name, QStringList* log) : name_(std::move(name)), log_(log) {}
  void Navigate(const QString& address) override;
  const QStringList& addresses() const { return addresses_; }
  const QString& name() const { return name_; }

 private:
  QString name_;
  QStringList* log_;
  QStringList addresses_;
};

class RecordingMediaPlayer final : public MediaPlayer {
 public:
  explicit RecordingMediaPlayer(QStringList* log) : log_(log) {}
  void SetURL(const QString& file_path) override;
  const QStringList& urls() const { return urls_; }

 private:
  QStringList* log_;
  QStringList urls_;
};

class RecordingSkin final : public Skin {
 public:
  explicit RecordingSkin(QStringList* log) : log_(log) {}
  bool SkinH_AttachEx(const QString& skin_file, const QString& password) override;
  // What the next calls answer; true unless told otherwise.
  void SetResult(bool result) { result_ = result; }
  // Runs inside the call, before it answers.
  void SetProbe(std::function<void()> probe) { probe_ = std::move(probe); }
  const QStringList& files() const { return files_; }

 private:
  QStringList* log_;
  QStringList files_;
  bool result_ = true;
  std::function<void()> probe_;
};

// The window's components: doubles throughout, or, where a test asks, the
// real Qt list view.  The components stay owned by the window, except the
// scripted transfer, which the window reaches through a handle so that a test
// can script it before the window exists; this keeps pointers to them for the
// test to look at.  A test that wants a real transfer has the scripted one
// hand every fetch to it, or, where nothing may be recorded (the soak, which
// watches memory), makes it instead.
class TestComponents final : public MainComponents {
 public:
  // With `qt_list_view` the window's list is the real Qt one instead of the
  // in-memory fake.
  explicit TestComponents(bool qt_list_view = false);
  ~TestComponents() override;

  std::unique_ptr<catalogue::ListView> MakeListView(QWidget* host) override;
  std::unique_ptr<catalogue::Transfer> MakeTransfer() override;
  std::unique_ptr<catalogue::ShellOpen> MakeShellOpen() override;
  std::unique_ptr<WebBrowser> MakeWebBrowser(QWidget* host) override;
  std::unique_ptr<MediaPlayer> MakeMediaPlayer() override;
  std::unique_ptr<Skin> MakeSkin() override;

  QStringList log;
  catalogue::testing::ScriptedTransfer scripted;

  // Valid once the window has made them.
  catalogue::testing::FakeListView* fake_list_view = nullptr;  // null with the Qt list
  catalogue::testing::RecordingShellOpen* shell_open = nullptr;
  RecordingMediaPlayer* media_player = nullptr;
  RecordingSkin* skin = nullptr;
  // In the order made: the main window's tip browser, then the notice
  // window's two.
  std::vector<RecordingWebBrowser*> browsers;

  // Applied to the skin as soon as the window makes it.
  bool skin_result = true;
  std::function<void()> skin_probe;
  // Where set, the window gets what these make instead of the scripted
  // transfer and the recording skin.
  std::function<std::unique_ptr<catalogue::Transfer>()> make_transfer;
  std::function<std::unique_ptr<Skin>()> make_skin;

 private:
  bool qt_list_view_;
};

}  // namespace quorvel::shell::testing
