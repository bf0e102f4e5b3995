#include "client/shell/win32/main_controls.h"

#include <commctrl.h>

#include "client/catalogue/category_table.h"
#include "client/shell/win32/dpi.h"
#include "client/shell/win32/win32_text.h"
#include "client/shell/win32/window_class.h"

namespace quorvel::shell {
namespace {

using namespace main_design;

// The failure notice lies over the foot of the list, clear of its left edge
// and of its vertical scroll bar.
constexpr TwipsRect kNoticeRect{kListView.rect.left + 30,
                                kListView.rect.top + kListView.rect.height - 390,
                                kListView.rect.width - 330, 345};

constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
// The stores keep their lines where the design put them; nobody sees them.
constexpr DWORD kStoreList = WS_CHILD | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;

}  // namespace

MainControls::MainControls(HWND window, int dpi) : window_(window) {
  // Made in tab order: the keyboard walks the controls in the order made.
  haun_cun_text = Make(WC_EDITW, kHaunCunText, WS_CHILD | ES_AUTOHSCROLL, 0, kIdHaunCunText);
  list2 = Make(WC_LISTBOXW, kList2, kStoreList, 0, kIdList2);
  // The label just before the list it heads: it names the list to a screen reader.
  label1 = Make(WC_STATICW, kLabel1, kLabel, 0, kIdLabel1);
  list1 = Make(WC_LISTBOXW, kList1,
               WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                   LBS_HASSTRINGS,
               WS_EX_CLIENTEDGE, kIdList1, L"");
  list_view_ = std::make_unique<catalogue::Win32ListView>(window, kIdListView, dpi);
  // Its name for a screen reader.
  SetWindowTextW(list_view_->hwnd(), L"外挂列表");
  Add(std::string(kListView.name), list_view_->hwnd(), kListView.rect);
  ShowWindow(list_view_->hwnd(), SW_SHOWNA);
  qian = Make(WC_BUTTONW, kQian, kButton, 0, kIdQian);
  hou = Make(WC_BUTTONW, kHou, kButton, 0, kIdHou);
  text1 = Make(WC_EDITW, kText1, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
               WS_EX_CLIENTEDGE, kIdText1);
  soso = Make(WC_BUTTONW, kSoSo, kButton, 0, kIdSoSo);

  using catalogue::kCategoryButtons;
  // Command1 is the window's, over the frame's second row and above it: the
  // frame, made after it, lies under it and is clipped where it is.
  category[0] = MakeButton(window_, 0);
  frame1 = Make(WC_BUTTONW, kFrame1, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX,
                WS_EX_CONTROLPARENT, kIdFrame1);
  for (std::size_t i = 1; i < kCategoryButtons.size(); ++i) category[i] = MakeButton(frame1, i);
  command19 = Make(WC_BUTTONW, kCommand19, kButton, 0, kIdCommand19);
  // Not before the search box: a screen reader names a box by the label
  // just before it, and the counter is no name for it.
  jilu_text = Make(WC_STATICW, kJiLuText, kLabel, 0, kIdJiLuText);
  list3 = Make(WC_LISTBOXW, kList3, kStoreList, 0, kIdList3);
  web_browser1 = Add(std::string(kWebBrowser1.name), MakeHostWindow(window_, kIdWebBrowser1),
                     kWebBrowser1.rect);
  // Above everything once shown (it is raised then); it takes no focus.
  notice = Add("Notice",
               CreateWindowExW(
                   0, WC_STATICW, L"",
                   WS_CHILD | SS_LEFT | SS_NOPREFIX | SS_NOTIFY | SS_ENDELLIPSIS | SS_CENTERIMAGE,
                   0, 0, 0, 0, window_, reinterpret_cast<HMENU>(INT_PTR{kIdNotice}),
                   GetModuleHandleW(nullptr), nullptr),
               kNoticeRect);
}

HWND MainControls::MakeButton(HWND parent, std::size_t index) {
  const std::wstring caption = Wide(catalogue::kCategoryButtons[index].caption);
  const auto id = static_cast<INT_PTR>(kIdCommand1 + index);
  HWND button = CreateWindowExW(0, WC_BUTTONW, caption.c_str(), kButton, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(id), GetModuleHandleW(nullptr), nullptr);
  return Add("Command" + std::to_string(index + 1), button, kCategoryButtonRects[index]);
}

HWND MainControls::Make(const wchar_t* window_class, const ControlDesign& design, DWORD style,
                        DWORD ex_style, int id, const wchar_t* text) {
  const std::wstring caption = text != nullptr ? std::wstring(text) : Wide(design.caption);
  HWND control = CreateWindowExW(ex_style, window_class, caption.c_str(), style, 0, 0, 0, 0,
                                 window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  return Add(std::string(design.name), control, design.rect);
}

HWND MainControls::Add(std::string name, HWND control, const TwipsRect& rect) {
  placed_.push_back({std::move(name), control, rect});
  return control;
}

void MainControls::LayOut(int dpi, HFONT font) {
  // One by one: the frame's buttons have another parent than the rest.
  for (const Placed& placed : placed_) {
    if (placed.control == nullptr) continue;
    const RECT r = PixelRect(placed.rect, dpi);
    SendMessageW(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowPos(placed.control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  list_view_->SetDpi(dpi);
  InvalidateRect(window_, nullptr, TRUE);
}

HWND MainControls::Find(std::string_view name) const {
  for (const Placed& placed : placed_) {
    if (placed.name == name) return placed.control;
  }
  return nullptr;
}

int MainControls::CategoryIndex(int id) {
  return id >= kIdCommand1 && id < kIdCommand1 + 18 ? id - kIdCommand1 : -1;
}

}  // namespace quorvel::shell
