// While a fetch runs, the windows keep painting and handling posted messages,
// the user's clicks and keys are dropped, the wait cursor shows, and a second
// fetch started from a handler is turned away as busy.

#include <windows.h>

#include <gtest/gtest.h>

#include "client/catalogue/win32/busy_wait.h"
#include "client/catalogue/win32/winhttp_transfer.h"
#include "scenario_server.h"

namespace quorvel::catalogue {
namespace {

struct Seen {
  int clicks = 0;
  int keys = 0;
  int posted = 0;
  int paints = 0;
  HCURSOR cursor_while_posted = nullptr;
  TransferResult nested;
  WinHttpTransfer* transfer = nullptr;
};

Seen* seen = nullptr;

LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (seen == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  switch (message) {
    case WM_LBUTTONDOWN:
      ++seen->clicks;
      return 0;
    case WM_KEYDOWN:
      ++seen->keys;
      return 0;
    case WM_APP:
      ++seen->posted;
      seen->cursor_while_posted = GetCursor();
      seen->nested = seen->transfer->OpenURL(quorvel::testing::ScenarioUrl(u"/with_length"));
      return 0;
    case WM_PAINT: {
      ++seen->paints;
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      ValidateRect(window, nullptr);
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

TEST(WaitKeepingWindowsAlive, PaintsAndDropsInputDuringAFetch) {
  if (quorvel::testing::ScenarioUrl(u"/").empty()) GTEST_SKIP() << "no scenario server";
  WinHttpTransfer transfer;
  Seen record;
  record.transfer = &transfer;
  seen = &record;
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = Record;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"QuorvelBusyWaitTest";
  RegisterClassW(&window_class);
  HWND window = CreateWindowW(L"QuorvelBusyWaitTest", L"test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              0, 0, 200, 200, nullptr, nullptr, window_class.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);

  record = Seen{};
  record.transfer = &transfer;
  // Queued before the fetch, handled during it.
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
  PostMessageW(window, WM_APP, 0, 0);
  InvalidateRect(window, nullptr, TRUE);
  const TransferResult result = transfer.OpenURL(quorvel::testing::ScenarioUrl(u"/with_length"));
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  seen = nullptr;
  DestroyWindow(window);

  ASSERT_TRUE(result.ok());
  EXPECT_EQ(record.clicks, 0);
  EXPECT_EQ(record.keys, 0);
  EXPECT_EQ(record.posted, 1);
  EXPECT_GE(record.paints, 1);
  EXPECT_EQ(record.cursor_while_posted, LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));
  EXPECT_EQ(record.nested.reason, u"上一个请求还没有结束。");
}

TEST(WaitKeepingWindowsAlive, QuitEndsTheWaitAndIsKept) {
  HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  PostQuitMessage(7);
  EXPECT_EQ(WaitKeepingWindowsAlive(never, std::chrono::steady_clock::now() + std::chrono::hours(1)),
            BusyWaitEnd::kQuit);
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
  CloseHandle(never);
}

TEST(IsUserInput, MouseAndKeysButNotPaintOrTimers) {
  for (UINT input : {WM_LBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEMOVE, WM_MOUSEWHEEL, WM_KEYDOWN,
                     WM_SYSKEYDOWN, WM_CHAR, WM_NCLBUTTONDOWN}) {
    EXPECT_TRUE(IsUserInput(input)) << input;
  }
  for (UINT other : {WM_PAINT, WM_TIMER, WM_APP, WM_SIZE, WM_CLOSE}) {
    EXPECT_FALSE(IsUserInput(other)) << other;
  }
}

}  // namespace
}  // namespace quorvel::catalogue
