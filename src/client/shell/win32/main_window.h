#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "client/catalogue/browsing_session.h"
#include "client/catalogue/win32/win32_list_view.h"
#include "client/shell/addresses.h"
#include "client/shell/main_controller.h"
#include "client/shell/main_view.h"
#include "client/shell/win32/main_components.h"
#include "client/shell/win32/program_icon.h"
#include "client/shell/win32/window_font.h"

namespace quorvel::shell {

class MainControls;
class NoticeWindow;
class ToolTips;

// The main window on Win32's standard controls.  It lays out the controls at
// its screen's resolution and hands the start-up and every click to the main
// window's logic (MainController); afterwards it shows what that says.  It
// parses nothing and fetches nothing itself.
class Main final : private MainView {
 public:
  // `on_both_closed` runs once this window and the notice window have both
  // been closed by the user: the program ends then.
  Main(MainComponents& components, const ShellAddresses& addresses, std::u16string program_folder,
       std::function<void()> on_both_closed);
  ~Main() override;
  Main(const Main&) = delete;
  Main& operator=(const Main&) = delete;

  // Shows the notice window, starts the tip page and the music, prepares the
  // list and lists page 1; this window is shown only when all of that has
  // returned.
  void StartUp();

  HWND hwnd() const { return window_; }
  bool IsOpen() const { return window_ != nullptr; }
  int Dpi() const { return dpi_; }
  NoticeWindow& main1() { return *main1_; }
  const catalogue::BrowsingSession& Session() const { return controller_->Session(); }
  catalogue::Win32ListView& List();
  // The control the design names `name` ("Text1", "Command7", "Notice" for
  // the failure notice, ...), or null.
  HWND Control(std::string_view name) const;
  // The tooltip a control shows, empty for none.
  std::u16string ToolTip(HWND control) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR id, DWORD_PTR self);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnControlMessage(HWND control, UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(int id, int code);
  void LayOut(int dpi);
  void PlaceOnScreen();
  void OnClosed();

  // MainView.
  void ShowNoticeWindow() override;
  void SetCaption(std::u16string_view caption) override;
  void SetButtonsEnabled(bool qian, bool hou, bool soso) override;
  void ShowSession(const catalogue::BrowsingSession& session, bool refill_list1) override;
  void TellUser(std::u16string_view notice) override;

  MainComponents& components_;
  const ShellAddresses addresses_;
  const std::u16string program_folder_;
  std::function<void()> on_both_closed_;

  HWND window_ = nullptr;
  int dpi_ = USER_DEFAULT_SCREEN_DPI;
  WindowFont font_;
  ProgramIcon icon_;
  std::unique_ptr<MainControls> controls_;
  std::unique_ptr<ToolTips> tips_;
  // The control that had the focus when the window was last active.
  HWND focus_ = nullptr;
  // What the hidden stores List2 and List3 hold, as a fingerprint of their lines.
  std::uint64_t list2_shown_ = 0;
  std::uint64_t list3_shown_ = 0;

  std::unique_ptr<catalogue::Transfer> inet1_;
  std::unique_ptr<catalogue::ShellOpen> shell_open_;
  std::unique_ptr<WebBrowser> web_browser1_;
  std::unique_ptr<MediaPlayer> windows_media_player1_;
  std::unique_ptr<Skin> skin_;
  std::unique_ptr<NoticeWindow> main1_;
  std::unique_ptr<MainController> controller_;
};

}  // namespace quorvel::shell
