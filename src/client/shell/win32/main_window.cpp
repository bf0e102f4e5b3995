#include "client/shell/win32/main_window.h"

#include <commctrl.h>

#include <cstdint>
#include <stdexcept>
#include <utility>

#include "client/shell/main_layout.h"
#include "client/shell/notice_placement.h"
#include "client/shell/win32/about_box.h"
#include "client/shell/win32/dpi.h"
#include "client/shell/win32/main_controls.h"
#include "client/shell/win32/message_loop.h"
#include "client/shell/win32/notice_window.h"
#include "client/shell/win32/tool_tips.h"
#include "client/shell/win32/win32_text.h"
#include "client/shell/win32/window_class.h"

namespace quorvel::shell {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr COLORREF kCounterColour = RGB(0xFF, 0x00, 0x00);
constexpr UINT_PTR kControlSubclass = 0x514D;  // "QM"
// Long tooltips wrap at this many pixels at 96 dots an inch.
constexpr int kTipWidth = 400;

bool IsEnterDown(LPARAM message) {
  const auto* msg = reinterpret_cast<const MSG*>(message);
  return msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN;
}

using Lines = catalogue::BrowsingSession::Lines;

Lines ListBoxLines(HWND list) {
  Lines lines;
  const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring line(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    line.resize(static_cast<std::size_t>(
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
    lines.push_back(U16(line));
  }
  return lines;
}

void FillListBox(HWND list, const Lines& lines) {
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  std::size_t characters = 0;
  for (const std::u16string& line : lines) characters += line.size() + 1;
  SendMessageW(list, LB_INITSTORAGE, lines.size(), characters * sizeof(wchar_t));
  for (const std::u16string& line : lines) {
    const std::wstring wide = Wide(line);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// The hidden stores are filled anew only when their lines changed: List3
// holds a line for every row of the page, and a row choice changes nothing
// there.
std::uint64_t Fingerprint(const Lines& lines) {
  std::uint64_t hash = 14695981039346656037ull;
  auto mix = [&hash](std::uint64_t unit) { hash = (hash ^ unit) * 1099511628211ull; };
  mix(lines.size());
  for (const std::u16string& line : lines) {
    mix(line.size());
    for (char16_t unit : line) mix(unit);
  }
  return hash;
}

void FillStore(HWND store, const Lines& lines, std::uint64_t* shown) {
  const std::uint64_t fingerprint = Fingerprint(lines);
  if (*shown == fingerprint && SendMessageW(store, LB_GETCOUNT, 0, 0) == LRESULT(lines.size())) {
    return;
  }
  FillListBox(store, lines);
  *shown = fingerprint;
}

}  // namespace

Main::Main(MainComponents& components, const ShellAddresses& addresses,
           std::u16string program_folder, std::function<void()> on_both_closed)
    : components_(components),
      addresses_(addresses),
      program_folder_(std::move(program_folder)),
      on_both_closed_(std::move(on_both_closed)) {
  window_ = CreateWindowExW(0, ProgramWindowClass(L"QuorvelMain", &Main::WindowProc), L"", kStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                            nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) throw std::runtime_error("the main window cannot be made");
  dpi_ = WindowDpi(window_);
  UseDialogKeys(window_);
  controls_ = std::make_unique<MainControls>(window_, dpi_);
  tips_ = std::make_unique<ToolTips>(window_);
  tips_->Set(controls_->list_view().hwnd(), main_design::kListView.caption);
  tips_->Set(controls_->list1, main_design::kList1.caption);
  for (HWND control : {controls_->text1, controls_->list1, controls_->frame1}) {
    SetWindowSubclass(control, &Main::ControlProc, kControlSubclass,
                      reinterpret_cast<DWORD_PTR>(this));
  }
  LayOut(dpi_);

  inet1_ = components_.MakeTransfer();
  shell_open_ = components_.MakeShellOpen();
  skin_ = components_.MakeSkin();
  windows_media_player1_ = components_.MakeMediaPlayer();
  web_browser1_ = components_.MakeWebBrowser(controls_->web_browser1);
  main1_ =
      std::make_unique<NoticeWindow>([this](HWND host) { return components_.MakeWebBrowser(host); },
                                     addresses_, [this] { OnClosed(); });

  const MainParts parts{*inet1_, List(), *shell_open_, *web_browser1_, *windows_media_player1_,
                        *skin_};
  MainView& view = *this;
  controller_ = std::make_unique<MainController>(view, parts, addresses_,
                                                 ProgramFilesIn(program_folder_, u'\\'));
}

Main::~Main() {
  on_both_closed_ = nullptr;
  controller_.reset();
  main1_.reset();
  // The components go before the windows that hold them.
  web_browser1_.reset();
  windows_media_player1_.reset();
  if (window_ != nullptr) DestroyWindow(window_);
}

catalogue::Win32ListView& Main::List() { return controls_->list_view(); }

HWND Main::Control(std::string_view name) const { return controls_->Find(name); }

std::u16string Main::ToolTip(HWND control) const { return tips_->Text(control); }

void Main::StartUp() {
  controller_->StartUp();
  PlaceOnScreen();
  // The first control in tab order that a user can see and use: the stores
  // before it are hidden.
  focus_ = GetNextDlgTabItem(window_, nullptr, FALSE);
  ShowWindow(window_, SW_SHOW);
  if (focus_ != nullptr) SetFocus(focus_);
  UpdateWindow(window_);
}

void Main::LayOut(int dpi) {
  dpi_ = dpi;
  SizeClientArea(window_, TwipsToPixels(main_design::kClientWidth, dpi),
                 TwipsToPixels(main_design::kClientHeight, dpi), dpi);
  HFONT font = font_.At(dpi);
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  controls_->LayOut(dpi, font);
  tips_->SetMaxWidth(MulDiv(kTipWidth, dpi, USER_DEFAULT_SCREEN_DPI));
  icon_.SetOn(window_, dpi);
}

void Main::PlaceOnScreen() {
  RECT outer{};
  GetWindowRect(window_, &outer);
  const ScreenPoint place = MainWindowPosition(
      MonitorWorkArea(window_), {outer.right - outer.left, outer.bottom - outer.top});
  SetWindowPos(window_, nullptr, place.x, place.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Main::OnClosed() {
  if (!IsOpen() && !main1_->IsOpen() && on_both_closed_) on_both_closed_();
}

void Main::ShowNoticeWindow() { main1_->ShowNotice(); }

void Main::SetCaption(std::u16string_view caption) {
  SetWindowTextW(window_, Wide(caption).c_str());
}

void Main::SetButtonsEnabled(bool qian, bool hou, bool soso) {
  EnableWindow(controls_->qian, qian);
  EnableWindow(controls_->hou, hou);
  EnableWindow(controls_->soso, soso);
}

void Main::ShowSession(const catalogue::BrowsingSession& s, bool refill_list1) {
  if (WindowText(controls_->jilu_text) != s.CounterText()) {
    SetWindowTextW(controls_->jilu_text, Wide(s.CounterText()).c_str());
  }
  // A page button that goes off with the focus hands it on, as a dialog's do.
  for (auto [button, on] :
       {std::pair{controls_->qian, s.QianEnabled()}, std::pair{controls_->hou, s.HouEnabled()}}) {
    if (!on && GetFocus() == button) {
      if (HWND next = GetNextDlgTabItem(window_, button, FALSE); next != nullptr) SetFocus(next);
    }
    EnableWindow(button, on);
  }
  // A chosen row always refills List1, also with the names already on show:
  // no name may stay selected, or the first click on it would open nothing.
  // Otherwise (after a link was opened) the lines are kept, and so is the
  // selection the user just made.
  if (refill_list1 || ListBoxLines(controls_->list1) != s.List1()) {
    FillListBox(controls_->list1, s.List1());
  }
  FillStore(controls_->list2, s.List2(), &list2_shown_);
  FillStore(controls_->list3, s.List3(), &list3_shown_);
  SetWindowTextW(controls_->haun_cun_text, Wide(s.HaunCunText()).c_str());
  TellUser(s.Notice());
}

void Main::TellUser(std::u16string_view notice) {
  HWND label = controls_->notice;
  SetWindowTextW(label, Wide(notice).c_str());
  // The whole sentence on the tooltip: the label shows what fits.
  tips_->Set(label, notice);
  if (notice.empty()) {
    ShowWindow(label, SW_HIDE);
    return;
  }
  SetWindowPos(label, HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(label, nullptr, TRUE);
}

void Main::OnCommand(int id, int code) {
  if (const int category = MainControls::CategoryIndex(id); category >= 0) {
    if (code == BN_CLICKED) controller_->CategoryClicked(category);
    return;
  }
  switch (id) {
    case MainControls::kIdSoSo:
      if (code == BN_CLICKED) controller_->SearchClicked(WindowText(controls_->text1));
      break;
    case MainControls::kIdQian:
      if (code == BN_CLICKED) controller_->PreviousPage();
      break;
    case MainControls::kIdHou:
      if (code == BN_CLICKED) controller_->NextPage();
      break;
    case MainControls::kIdCommand19:
      if (code == BN_CLICKED) ShowAboutBox(window_, addresses_);
      break;
    case MainControls::kIdList1:
      // The selection moved, by mouse or keyboard; the program's own moves
      // send nothing.
      if (code == LBN_SELCHANGE) {
        const auto line = SendMessageW(controls_->list1, LB_GETCURSEL, 0, 0);
        if (line != LB_ERR) controller_->LinkSelected(static_cast<int>(line));
      }
      break;
    case MainControls::kIdNotice:
      if (code == STN_CLICKED) ShowWindow(controls_->notice, SW_HIDE);
      break;
    default:
      break;
  }
}

LRESULT CALLBACK Main::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Main*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ != window) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    self->OnClosed();
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return self->OnMessage(message, wparam, lparam);
}

LRESULT Main::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_CTLCOLORSTATIC: {
      const auto control = reinterpret_cast<HWND>(lparam);
      HDC dc = reinterpret_cast<HDC>(wparam);
      if (control == controls_->jilu_text) {
        SetTextColor(dc, kCounterColour);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      if (control == controls_->notice) {
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        SetBkColor(dc, GetSysColor(COLOR_INFOBK));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_INFOBK));
      }
      break;
    }
    case WM_ACTIVATE:
      // As a dialog: the focus goes back where it was when the user returns.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) focus_ = focus;
      } else if (focus_ != nullptr && IsWindow(focus_) && IsWindowEnabled(focus_)) {
        SetFocus(focus_);
        return 0;
      }
      break;
    case WM_DPICHANGED: {
      // Another screen: the design at its resolution, where Windows suggests.
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      LayOut(LOWORD(wparam));
      if (suggested != nullptr) {
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    }
    case WM_DESTROY:
      ForgetDialogKeys(window_);
      break;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

LRESULT CALLBACK Main::ControlProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR, DWORD_PTR self) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(control, &Main::ControlProc, kControlSubclass);
    return DefSubclassProc(control, message, wparam, lparam);
  }
  return reinterpret_cast<Main*>(self)->OnControlMessage(control, message, wparam, lparam);
}

LRESULT Main::OnControlMessage(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  if (control == controls_->frame1) {
    // The frame holds the category buttons; what they say is for the window.
    switch (message) {
      case WM_COMMAND:
      case WM_NOTIFY:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORSTATIC:
        return SendMessageW(window_, message, wparam, lparam);
      default:
        return DefSubclassProc(control, message, wparam, lparam);
    }
  }
  // Text1 and List1 take Enter themselves: it searches, or opens the link name
  // under the cursor.
  switch (message) {
    case WM_GETDLGCODE: {
      const LRESULT code = DefSubclassProc(control, message, wparam, lparam);
      return IsEnterDown(lparam) ? code | DLGC_WANTMESSAGE : code;
    }
    case WM_CHAR:
      if (wparam == L'\r' || wparam == L'\n') return 0;
      break;
    case WM_KEYDOWN:
      if (wparam != VK_RETURN) break;
      if (control == controls_->text1) {
        if (IsWindowEnabled(controls_->soso)) controller_->SearchClicked(WindowText(control));
      } else {
        const auto line = SendMessageW(control, LB_GETCURSEL, 0, 0);
        if (line != LB_ERR) controller_->LinkSelected(static_cast<int>(line));
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // Every click into the search box empties it, also of a term the user typed.
      if (control == controls_->text1) SetWindowTextW(control, L"");
      break;
    default:
      break;
  }
  return DefSubclassProc(control, message, wparam, lparam);
}

}  // namespace quorvel::shell
