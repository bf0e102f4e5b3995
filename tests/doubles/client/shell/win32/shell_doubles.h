#pragma once

// The Win32 windows' component set, built from the shell's and the
// catalogue's doubles, all writing into one shared log.

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "client/shell/win32/main_components.h"
#include "doubles/client/catalogue/recording_shell_open.h"
#include "doubles/client/catalogue/scripted_transfer.h"
#include "doubles/client/shell/recording_components.h"

namespace quorvel::shell::testing {

// The windows' components: doubles throughout, or, where a test says so, what
// its makers make (a real adapter, say).  The components stay owned by the
// windows, except the scripted transfer, which they reach through a handle so
// that a test can script it before they exist; this keeps pointers to them
// for the test to look at.
class TestComponents final : public MainComponents {
 public:
  TestComponents();
  ~TestComponents() override;

  std::unique_ptr<catalogue::Transfer> MakeTransfer() override;
  std::unique_ptr<catalogue::ShellOpen> MakeShellOpen() override;
  std::unique_ptr<WebBrowser> MakeWebBrowser(HWND host) override;
  std::unique_ptr<MediaPlayer> MakeMediaPlayer() override;
  std::unique_ptr<Skin> MakeSkin() override;

  Lines log;
  catalogue::testing::ScriptedTransfer scripted;

  // Valid once the windows have made them; null where a maker below made one.
  catalogue::testing::RecordingShellOpen* shell_open = nullptr;
  RecordingMediaPlayer* media_player = nullptr;
  RecordingSkin* skin = nullptr;
  // In the order made: the main window's tip browser, then the notice
  // window's two; named WebBrowser1, main1.WebBrowser1, main1.WebBrowser2.
  std::vector<RecordingWebBrowser*> browsers;
  std::vector<HWND> browser_hosts;

  // What the skin answers: false, as the Win32 windows' own skin does.
  bool skin_result = false;
  // Where set, the windows get what these make instead of the doubles.
  std::function<std::unique_ptr<catalogue::Transfer>()> make_transfer;
  std::function<std::unique_ptr<catalogue::ShellOpen>()> make_shell_open;
  std::function<std::unique_ptr<WebBrowser>(HWND host)> make_web_browser;
};

}  // namespace quorvel::shell::testing
