#include "doubles/client/shell/win32/shell_doubles.h"

namespace quorvel::shell::testing {

TestComponents::TestComponents() { scripted.WriteLogTo(&log); }
TestComponents::~TestComponents() = default;

std::unique_ptr<catalogue::Transfer> TestComponents::MakeTransfer() {
  return make_transfer ? make_transfer() : scripted.Handle();
}

std::unique_ptr<catalogue::ShellOpen> TestComponents::MakeShellOpen() {
  if (make_shell_open) return make_shell_open();
  auto open = std::make_unique<catalogue::testing::RecordingShellOpen>();
  shell_open = open.get();
  return open;
}

std::unique_ptr<WebBrowser> TestComponents::MakeWebBrowser(HWND host) {
  browser_hosts.push_back(host);
  if (make_web_browser) return make_web_browser(host);
  static const char16_t* const kNames[] = {u"WebBrowser1", u"main1.WebBrowser1",
                                           u"main1.WebBrowser2"};
  const std::size_t made = browsers.size();
  auto browser =
      std::make_unique<RecordingWebBrowser>(made < 3 ? kNames[made] : u"WebBrowser?", &log);
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
  skin = made.get();
  return made;
}

}  // namespace quorvel::shell::testing
