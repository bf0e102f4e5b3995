#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "client/catalogue/win32/win32_list_view.h"
#include "client/shell/main_layout.h"

namespace quorvel::shell {

// The main window's controls as drawn (main_layout.h), made as the standard
// controls and placed at the window's resolution.  They are made in the
// design's tab order, which is the order the keyboard walks them; the
// category buttons but Command1 sit in the frame Frame1, Command1 over its
// second row.
class MainControls {
 public:
  // Control ids; Command1 .. Command18 are kIdCommand1 + 0 .. 17.
  enum Id : int {
    kIdText1 = 100,
    kIdSoSo,
    kIdJiLuText,
    kIdCommand19,
    kIdFrame1,
    kIdListView,
    kIdQian,
    kIdHou,
    kIdLabel1,
    kIdList1,
    kIdList2,
    kIdList3,
    kIdHaunCunText,
    kIdWebBrowser1,
    kIdNotice,
    kIdCommand1 = 200,
  };

  // Makes the controls in `window`, whose resolution is `dpi`; LayOut places them.
  MainControls(HWND window, int dpi);
  MainControls(const MainControls&) = delete;
  MainControls& operator=(const MainControls&) = delete;

  // Places every control at `dpi` and gives it `font`.
  void LayOut(int dpi, HFONT font);

  // The control the design names `name` ("Text1", "Command7", ...; "Notice"
  // for the failure notice over the foot of the list), or null.
  HWND Find(std::string_view name) const;
  // Command1 .. Command18 as 0 .. 17, or -1 for another control id.
  static int CategoryIndex(int id);

  catalogue::Win32ListView& list_view() { return *list_view_; }

  HWND text1 = nullptr;
  HWND soso = nullptr;
  HWND jilu_text = nullptr;
  HWND command19 = nullptr;
  HWND frame1 = nullptr;
  std::array<HWND, 18> category{};
  HWND qian = nullptr;
  HWND hou = nullptr;
  HWND label1 = nullptr;
  HWND list1 = nullptr;
  HWND list2 = nullptr;
  HWND list3 = nullptr;
  HWND haun_cun_text = nullptr;
  HWND web_browser1 = nullptr;  // the tip browser's host, beyond the right edge
  HWND notice = nullptr;

 private:
  struct Placed {
    std::string name;
    HWND control;
    TwipsRect rect;
  };

  // A control in `parent` (the window unless said) with the design's name
  // and place; its text is the design's caption unless given.
  HWND Make(const wchar_t* window_class, const ControlDesign& design, DWORD style, DWORD ex_style,
            int id, const wchar_t* text = nullptr);
  HWND MakeButton(HWND parent, std::size_t index);  // Command(index + 1)
  HWND Add(std::string name, HWND control, const TwipsRect& rect);

  HWND window_;
  std::vector<Placed> placed_;
  std::unique_ptr<catalogue::Win32ListView> list_view_;
};

}  // namespace quorvel::shell
