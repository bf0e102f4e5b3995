#include "client/shell/win32/atl_web_browser.h"

#include <oleauto.h>

namespace quorvel::shell {
namespace {

using AtlAxWinInitFunction = BOOL(WINAPI*)();
using AtlAxGetControlFunction = HRESULT(WINAPI*)(HWND, IUnknown**);

template <typename Function>
Function Find(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

AtlWebBrowser::AtlWebBrowser(HWND parent, const RECT& area) {
  // atl.dll is there on every Windows, but not in MinGW's import libraries.
  atl_ = LoadLibraryW(L"atl.dll");
  if (atl_ == nullptr) return;
  const auto init = Find<AtlAxWinInitFunction>(atl_, "AtlAxWinInit");
  const auto get_control = Find<AtlAxGetControlFunction>(atl_, "AtlAxGetControl");
  if (init == nullptr || get_control == nullptr) return;
  // Wine's AtlAxWinInit answers false once its window class is registered, as
  // it is from the second browser of a program on; whether the class is there
  // shows when the window is made.
  init();
  host_ = CreateWindowExW(0, L"AtlAxWin", L"Shell.Explorer.2",
                          WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, area.left, area.top,
                          area.right - area.left, area.bottom - area.top, parent, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  if (host_ == nullptr) return;
  IUnknown* control = nullptr;
  if (FAILED(get_control(host_, &control)) || control == nullptr) return;
  control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_));
  control->Release();
  // No dialog of its own for a script error or a certificate: nothing of
  // the pages is the user's to answer.
  if (browser_ != nullptr) browser_->put_Silent(VARIANT_TRUE);
}

AtlWebBrowser::~AtlWebBrowser() {
  if (browser_ != nullptr) {
    browser_->Stop();
    browser_->Release();
  }
  if (host_ != nullptr) DestroyWindow(host_);
  // atl.dll stays loaded: its window class may outlive this browser.
}

void AtlWebBrowser::Navigate(std::u16string_view address) {
  if (browser_ == nullptr) return;
  BSTR url = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(address.data()),
                               static_cast<UINT>(address.size()));
  if (url == nullptr) return;
  VARIANT empty;
  VariantInit(&empty);
  browser_->Navigate(url, &empty, &empty, &empty, &empty);
  SysFreeString(url);
}

}  // namespace quorvel::shell
