#pragma once

#include <windows.h>
#include <exdisp.h>

#include <string_view>

#include "client/shell/web_browser.h"

namespace quorvel::shell {

// The system's web browser control ("Shell.Explorer.2", an IWebBrowser2)
// hosted in a child window through atl.dll's AtlAxWin.  Navigate only starts
// loading and never waits for the page; a page that cannot be reached, or a
// control that cannot be made, is the browser's own affair and shows nothing.
// Needs OLE on the calling thread (OleInitialize) and that thread's messages.
class AtlWebBrowser : public WebBrowser {
 public:
  // A browser filling `area` (client coordinates) of `parent`.
  AtlWebBrowser(HWND parent, const RECT& area);
  ~AtlWebBrowser() override;
  AtlWebBrowser(const AtlWebBrowser&) = delete;
  AtlWebBrowser& operator=(const AtlWebBrowser&) = delete;

  void Navigate(std::u16string_view address) override;

  HWND window() const { return host_; }
  // Whether the control was made; false where the system has none.
  bool ready() const { return browser_ != nullptr; }

 private:
  HMODULE atl_ = nullptr;
  HWND host_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
};

}  // namespace quorvel::shell
