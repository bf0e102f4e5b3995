#include "client/catalogue/win32/busy_wait.h"

#include <algorithm>

namespace quorvel::catalogue {
namespace {

HCURSOR WaitCursor() { return LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)); }  // IDC_WAIT

DWORD MillisecondsUntil(std::chrono::steady_clock::time_point limit) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      limit - std::chrono::steady_clock::now());
  return static_cast<DWORD>(std::clamp<std::int64_t>(left.count(), 0, 0x7FFFFFFF));
}

}  // namespace

bool IsUserInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
         (message >= 0x0245 && message <= 0x0257) ||  // WM_POINTER... messages
         message == 0x0240 ||                         // WM_TOUCH
         message == 0x0119;                           // WM_GESTURE
}

BusyWaitEnd WaitKeepingWindowsAlive(HANDLE done, std::chrono::steady_clock::time_point limit) {
  HCURSOR previous = SetCursor(WaitCursor());
  BusyWaitEnd end = BusyWaitEnd::kPastLimit;
  for (;;) {
    MSG message;
    bool quit = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        quit = true;
        break;
      }
      if (IsUserInput(message.message)) {
        // The window under the mouse has just set its own cursor.
        SetCursor(WaitCursor());
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (quit) {
      end = BusyWaitEnd::kQuit;
      break;
    }
    if (WaitForSingleObject(done, 0) == WAIT_OBJECT_0) {
      end = BusyWaitEnd::kDone;
      break;
    }
    const DWORD wait = MillisecondsUntil(limit);
    if (wait == 0) break;
    MsgWaitForMultipleObjectsEx(1, &done, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  SetCursor(previous);
  return end;
}

}  // namespace quorvel::catalogue
