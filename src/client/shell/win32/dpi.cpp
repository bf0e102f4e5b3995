#include "client/shell/win32/dpi.h"

namespace quorvel::shell {
namespace {

template <typename Function>
Function User32(const char* name) {
  static HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 == nullptr
             ? nullptr
             : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

ScreenRect ToScreenRect(const RECT& r) {
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

MONITORINFO MonitorOf(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
  if (monitor == nullptr || !GetMonitorInfoW(monitor, &info)) {
    info.rcMonitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    info.rcWork = info.rcMonitor;
  }
  return info;
}

}  // namespace

int WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto get_dpi_for_window = User32<GetDpiForWindowFunction>("GetDpiForWindow");
  const int dpi = get_dpi_for_window != nullptr && window != nullptr
                      ? static_cast<int>(get_dpi_for_window(window))
                      : 0;
  return dpi > 0 ? dpi : SystemDpi();
}

RECT PixelRect(const TwipsRect& twips, int dpi) {
  const int left = TwipsToPixels(twips.left, dpi);
  const int top = TwipsToPixels(twips.top, dpi);
  return {left, top, TwipsToPixels(twips.left + twips.width, dpi),
          TwipsToPixels(twips.top + twips.height, dpi)};
}

ScreenSize OuterSize(int client_width, int client_height, DWORD style, DWORD ex_style, int dpi) {
  using AdjustFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjust_for_dpi = User32<AdjustFunction>("AdjustWindowRectExForDpi");
  RECT frame{0, 0, client_width, client_height};
  if (adjust_for_dpi == nullptr ||
      !adjust_for_dpi(&frame, style, FALSE, ex_style, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);
  }
  return {frame.right - frame.left, frame.bottom - frame.top};
}

void SizeClientArea(HWND window, int client_width, int client_height, int dpi) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  ScreenSize outer = OuterSize(client_width, client_height, style, ex_style, dpi);
  constexpr UINT kFlags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(window, nullptr, 0, 0, outer.width, outer.height, kFlags);
  RECT client{};
  GetClientRect(window, &client);
  if (!IsIconic(window) && (client.right != client_width || client.bottom != client_height)) {
    outer.width += client_width - client.right;
    outer.height += client_height - client.bottom;
    SetWindowPos(window, nullptr, 0, 0, outer.width, outer.height, kFlags);
  }
}

int MetricForDpi(int index, int dpi) {
  using MetricFunction = int(WINAPI*)(int, UINT);
  static const auto metric_for_dpi = User32<MetricFunction>("GetSystemMetricsForDpi");
  if (metric_for_dpi != nullptr) return metric_for_dpi(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

ScreenRect MonitorArea(HWND window) { return ToScreenRect(MonitorOf(window).rcMonitor); }

ScreenRect MonitorWorkArea(HWND window) { return ToScreenRect(MonitorOf(window).rcWork); }

}  // namespace quorvel::shell
