#include "client/shell/win32/notice_window.h"

#include <commctrl.h>

#include "client/shell/main_layout.h"
#include "client/shell/notice_placement.h"
#include "client/shell/win32/dpi.h"
#include "client/shell/win32/message_loop.h"
#include "client/shell/win32/win32_text.h"
#include "client/shell/win32/window_class.h"

namespace quorvel::shell {
namespace {

using namespace notice_design;

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr COLORREF kPleaColour = RGB(0x40, 0x40, 0x40);

// The height `text` takes wrapped in `width` pixels, in a font of the face
// at `pixel_height`.
int WrappedHeight(std::wstring_view text, int width, int pixel_height) {
  HFONT font = WindowFont::Make(pixel_height);
  HDC dc = CreateCompatibleDC(nullptr);
  if (font == nullptr || dc == nullptr) {
    if (font != nullptr) DeleteObject(font);
    if (dc != nullptr) DeleteDC(dc);
    return 0;
  }
  HGDIOBJ old = SelectObject(dc, font);
  RECT room{0, 0, width, 0};
  DrawTextW(dc, text.data(), int(text.size()), &room,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(font);
  return room.bottom - room.top;
}

// The plea is long and its label small: the window's 9 points where the face
// fits it whole into the label, otherwise the largest size down to 7 points
// that does.
int PleaPixels(int dpi) {
  const RECT label = PixelRect(kLabel1.rect, dpi);
  const std::wstring text = Wide(kLabel1.caption);
  const int smallest = WindowFont::PixelHeight(7, dpi);
  int pixels = WindowFont::PixelHeight(9, dpi);
  while (pixels > smallest &&
         WrappedHeight(text, label.right - label.left, pixels) > label.bottom - label.top) {
    --pixels;
  }
  return pixels;
}

void Place(HWND control, const TwipsRect& rect, int dpi) {
  const RECT r = PixelRect(rect, dpi);
  SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

NoticeWindow::NoticeWindow(const BrowserFactory& make_browser, const ShellAddresses& addresses,
                           std::function<void()> on_closed)
    : addresses_(addresses), on_closed_(std::move(on_closed)) {
  const std::wstring caption = Wide(kCaption);
  window_ = CreateWindowExW(0, ProgramWindowClass(L"QuorvelNotice", &NoticeWindow::WindowProc),
                            caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) return;
  dpi_ = WindowDpi(window_);
  UseDialogKeys(window_);

  // Painted top to bottom: the plea, the strip, the frame; the plea's last
  // pixel row and the strip lie over the frame's edges.
  label1_ = CreateWindowExW(0, WC_STATICW, Wide(kLabel1.caption).c_str(),
                            WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, window_,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
  web_browser2_host_ = MakeHostWindow(window_, 3);
  frame1_ = MakeFrameWindow(window_, 1);
  web_browser1_host_ = MakeHostWindow(frame1_, 2);
  LayOut(dpi_);

  web_browser1_ = make_browser(web_browser1_host_);
  web_browser2_ = make_browser(web_browser2_host_);
}

NoticeWindow::~NoticeWindow() {
  on_closed_ = nullptr;
  // The browsers go before the windows that hold them.
  web_browser1_.reset();
  web_browser2_.reset();
  if (window_ != nullptr) DestroyWindow(window_);
}

void NoticeWindow::ShowNotice() {
  if (window_ == nullptr) return;
  PlaceOnScreen();
  web_browser1_->Navigate(addresses_.partner_page);
  web_browser2_->Navigate(addresses_.notice_page);
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
}

HWND NoticeWindow::Control(std::string_view name) const {
  if (name == kLabel1.name) return label1_;
  if (name == kFrame1.name) return frame1_;
  if (name == kWebBrowser1.name) return web_browser1_host_;
  if (name == kWebBrowser2.name) return web_browser2_host_;
  return nullptr;
}

void NoticeWindow::LayOut(int dpi) {
  dpi_ = dpi;
  SizeClientArea(window_, TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi), dpi);
  Place(label1_, kLabel1.rect, dpi);
  Place(frame1_, kFrame1.rect, dpi);
  Place(web_browser1_host_, kWebBrowser1.rect, dpi);
  Place(web_browser2_host_, kWebBrowser2.rect, dpi);
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.At(dpi)), FALSE);
  SendMessageW(label1_, WM_SETFONT, reinterpret_cast<WPARAM>(plea_font_.AtPixels(PleaPixels(dpi))),
               FALSE);
  icon_.SetOn(window_, dpi);
  InvalidateRect(window_, nullptr, TRUE);
}

void NoticeWindow::PlaceOnScreen() {
  RECT outer{};
  GetWindowRect(window_, &outer);
  const ScreenPoint place = NoticeWindowPosition(
      MonitorArea(window_), {outer.right - outer.left, outer.bottom - outer.top},
      dpi_ / double(USER_DEFAULT_SCREEN_DPI));
  SetWindowPos(window_, nullptr, place.x, place.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK NoticeWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<NoticeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || (self->window_ != nullptr && self->window_ != window)) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    if (self->on_closed_) self->on_closed_();
    return DefWindowProcW(window, message, wparam, lparam);
  }
  if (self->window_ == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  return self->OnMessage(message, wparam, lparam);
}

LRESULT NoticeWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lparam) == label1_) {
        HDC dc = reinterpret_cast<HDC>(wparam);
        SetTextColor(dc, kPleaColour);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_DPICHANGED:
      // Another screen: the design at its resolution, in its corner.
      LayOut(LOWORD(wparam));
      PlaceOnScreen();
      return 0;
    case WM_DESTROY:
      ForgetDialogKeys(window_);
      break;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace quorvel::shell
