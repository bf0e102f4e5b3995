#pragma once

// Looking at the Win32 windows from a test: a control's place, text, font
// and colours as Windows reports them, and the queue handled as the program
// handles it.

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "client/shell/addresses.h"
#include "client/shell/win32/message_loop.h"
#include "reply_builder.h"
#include "win32_messages.h"

namespace quorvel::shell::testing {

inline ShellAddresses TestAddresses() {
  return AddressesForHosts(u"list.test", u"site.test", u"partner.test");
}

// A listing reply with the entry count and the page count in its trailer.
inline std::string ListingReply(const std::vector<catalogue::testing::Fields>& records,
                                std::string_view count, std::string_view pages) {
  return catalogue::testing::Reply(records, std::string(count) + "?" + std::string(pages));
}

// Handles what is queued, with the program's dialog keys.
inline void Pump() { quorvel::testing::PumpMessages(&TranslateDialogKeys); }

inline std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), int(text.size()))));
  return text;
}

inline std::wstring W(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// Where `control` sits in its parent's client area.
inline RECT PlaceInParent(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

inline SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right, r.bottom};
}

// The size `text` takes in `control`'s font, on one line or wrapped in `width`.
inline SIZE TextExtent(HWND control, const std::wstring& text, int width = 0) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT room{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), int(text.size()), &room,
            DT_CALCRECT | DT_NOPREFIX | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return {room.right - room.left, room.bottom - room.top};
}

inline LOGFONTW FontOf(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
  return font;
}

// The text colour the parent gives a static control when it is drawn.
inline COLORREF TextColourOf(HWND control) {
  HDC dc = CreateCompatibleDC(nullptr);
  SetTextColor(dc, RGB(1, 2, 3));
  SendMessageW(GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(control));
  const COLORREF colour = GetTextColor(dc);
  DeleteDC(dc);
  return colour;
}

// The lines of a list box.
inline std::vector<std::wstring> ListBoxLines(HWND list) {
  std::vector<std::wstring> lines;
  for (LRESULT i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
    std::wstring line(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
    lines.push_back(line);
  }
  return lines;
}

// A click on the middle of `row`'s second cell in the ListView `list`.
inline void ClickRow(HWND list, int row) {
  RECT cell{};
  ListView_GetSubItemRect(list, row, 1, LVIR_BOUNDS, &cell);
  quorvel::testing::Click(list, {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2});
  Pump();
}

// A click on `button` as the user's, and what it brings handled.
inline void ClickButton(HWND button) {
  SendMessageW(button, BM_CLICK, 0, 0);
  Pump();
}

}  // namespace quorvel::shell::testing
