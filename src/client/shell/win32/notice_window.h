#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string_view>

#include "client/shell/addresses.h"
#include "client/shell/web_browser.h"
#include "client/shell/win32/program_icon.h"
#include "client/shell/win32/window_font.h"

namespace quorvel::shell {

// The small window in the bottom right-hand corner of the screen: a plea,
// the partner's page seen through a frame, and the notice page in a strip.
// It has no actions of its own and lives beside the main window, not under
// it: it has no owner.
class NoticeWindow {
 public:
  using BrowserFactory = std::function<std::unique_ptr<WebBrowser>(HWND host)>;

  // `on_closed` runs when the user has closed the window.
  NoticeWindow(const BrowserFactory& make_browser, const ShellAddresses& addresses,
               std::function<void()> on_closed);
  ~NoticeWindow();
  NoticeWindow(const NoticeWindow&) = delete;
  NoticeWindow& operator=(const NoticeWindow&) = delete;

  // The window's load: it takes its place, its browsers start their pages,
  // and it is shown without waiting for them.
  void ShowNotice();

  HWND hwnd() const { return window_; }
  bool IsOpen() const { return window_ != nullptr; }
  int Dpi() const { return dpi_; }
  // "Label1", "Frame1", "WebBrowser1" (in Frame1) or "WebBrowser2"; null for another.
  HWND Control(std::string_view name) const;
  WebBrowser& WebBrowser1() { return *web_browser1_; }
  WebBrowser& WebBrowser2() { return *web_browser2_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void LayOut(int dpi);
  void PlaceOnScreen();

  ShellAddresses addresses_;
  std::function<void()> on_closed_;
  HWND window_ = nullptr;
  int dpi_ = USER_DEFAULT_SCREEN_DPI;
  WindowFont font_;
  WindowFont plea_font_;
  ProgramIcon icon_;
  HWND label1_ = nullptr;
  HWND frame1_ = nullptr;
  HWND web_browser1_host_ = nullptr;
  HWND web_browser2_host_ = nullptr;
  std::unique_ptr<WebBrowser> web_browser1_;
  std::unique_ptr<WebBrowser> web_browser2_;
};

}  // namespace quorvel::shell
