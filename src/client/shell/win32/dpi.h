#pragma once

// Resolutions and sizes for windows that are aware of each monitor's
// resolution (the program's manifest says so): the design's twips become
// pixels at the window's own resolution.  The calls of Windows 10 that give a
// window's or a monitor's resolution are looked up when the program runs, so
// that it still starts on older Windows, where the system's one resolution
// serves.

#include <windows.h>

#include "client/shell/screen_geometry.h"
#include "client/shell/twips.h"

namespace quorvel::shell {

// The resolution `window` is shown at, in dots an inch.
int WindowDpi(HWND window);

// A design rectangle in pixels at `dpi`.  Edges are rounded, not sizes, so
// controls the design lays edge to edge stay so at every resolution.
RECT PixelRect(const TwipsRect& twips, int dpi);

// The outer size of a window of `style` whose client area is `client_width`
// by `client_height` pixels at `dpi`.
ScreenSize OuterSize(int client_width, int client_height, DWORD style, DWORD ex_style, int dpi);

// Sizes `window`, keeping its place, so that its client area is `client_width`
// by `client_height` pixels at `dpi`: first by the frame Windows reckons for
// that resolution, then, where the frame drawn differs (Wine draws it at the
// system's), by the difference.
void SizeClientArea(HWND window, int client_width, int client_height, int dpi);

// A system metric (GetSystemMetrics) at `dpi`.
int MetricForDpi(int index, int dpi);

// The whole area of the monitor that holds most of `window`, and its work area.
ScreenRect MonitorArea(HWND window);
ScreenRect MonitorWorkArea(HWND window);

}  // namespace quorvel::shell
