// The browser control asks the server for its page, and Navigate returns
// while the server still holds the page back: it never waits for the page.

#include "client/shell/win32/atl_web_browser.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "client/catalogue/win32/winhttp_transfer.h"
#include "scenario_server.h"

namespace quorvel::shell {
namespace {

using quorvel::testing::FromEnvironment;
using quorvel::testing::ScenarioUrl;

std::wstring WindowsPath(const std::u16string& unix_path) {
  std::wstring path = L"Z:";
  for (const char16_t c : unix_path) path += c == u'/' ? L'\\' : static_cast<wchar_t>(c);
  return path;
}

TEST(AtlWebBrowser, NavigateStartsLoadingWithoutWaitingForThePage) {
  const std::u16string release = FromEnvironment("QUORVEL_SCENARIO_RELEASE");
  if (ScenarioUrl(u"/").empty() || release.empty()) GTEST_SKIP() << "no scenario server";
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  HWND window = CreateWindowW(L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 240,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  std::string seen;
  {
    AtlWebBrowser browser(window, RECT{0, 0, 320, 240});
    ASSERT_TRUE(browser.ready());
    browser.Navigate(ScenarioUrl(u"/hold/tishi1.8.html"));
    // Back here while the page is held: only now may the server send it.
    HANDLE file = CreateFileW(WindowsPath(release).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    // The transfer keeps this thread's messages flowing while it asks.
    catalogue::WinHttpTransfer transfer;
    for (int i = 0; i < 300 && seen.find("/hold/tishi1.8.html") == std::string::npos; ++i) {
      seen = transfer.OpenURL(ScenarioUrl(u"/seen")).body;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
  }
  DestroyWindow(window);
  OleUninitialize();
  EXPECT_NE(seen.find("/hold/tishi1.8.html"), std::string::npos) << seen;
  EXPECT_EQ(seen.find("expired"), std::string::npos) << seen;
}

TEST(AtlWebBrowser, NavigateWithoutAControlDoesNothing) {
  // No parent window: the control cannot be made, and Navigate is harmless.
  AtlWebBrowser browser(nullptr, RECT{0, 0, 10, 10});
  EXPECT_FALSE(browser.ready());
  browser.Navigate(u"http://127.0.0.1:9/");
}

}  // namespace
}  // namespace quorvel::shell
