#pragma once

// Driving Win32 windows from a test on their own thread: the messages a
// user's input would bring, sent or posted, and the queue handled meanwhile.

#include <windows.h>

#include <functional>

namespace quorvel::testing {

// Handles every message queued now, each first offered to `filter` (the
// program's dialog keys, say), which returns true when it took one.
inline void PumpMessages(const std::function<bool(MSG*)>& filter = {}) {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (filter && filter(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

inline LPARAM PointParam(POINT point) { return MAKELPARAM(point.x, point.y); }

// A left click at `point` in `control`'s client area.  The release is queued
// first: a control that follows the press until the button is let go finds
// it there.
inline void Click(HWND control, POINT point) {
  PostMessageW(control, WM_LBUTTONUP, 0, PointParam(point));
  SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(point));
  PumpMessages();
}

// A key pressed and let go while `control` has the focus, through the queue.
inline void PressKey(HWND control, WPARAM key, const std::function<bool(MSG*)>& filter = {}) {
  PostMessageW(control, WM_KEYDOWN, key, 1);
  PostMessageW(control, WM_KEYUP, key, 0xC0000001);
  PumpMessages(filter);
}

}  // namespace quorvel::testing
