#pragma once

// The Qt window's component set, built from the shell's and the
// catalogue's doubles, all writing into one shared log.

#include <functional>
#include <memory>
#include <vector>

#include "client/shell/qt/main_components.h"
#include "doubles/client/catalogue/fake_list_view.h"
#include "doubles/client/catalogue/recording_shell_open.h"
#include "doubles/client/catalogue/scripted_transfer.h"
#include "doubles/client/shell/recording_components.h"
#include "qt_printers.h"

namespace quorvel::shell::testing {

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

  Lines log;
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
