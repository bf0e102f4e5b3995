// The two Win32 windows as drawn, at 100 %, 125 % and 150 %: places, sizes,
// captions, colours, the face, nothing clipped, and the tab order.

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/shell/main_layout.h"
#include "client/shell/win32/main_window.h"
#include "client/shell/win32/notice_window.h"
#include "client/shell/win32/window_font.h"
#include "doubles/client/shell/win32/shell_doubles.h"
#include "window_checks.h"

namespace quorvel::shell {
namespace {

using testing::TestComponents;

struct Expected {
  const char* name;
  const char* container;
  RECT pixels;  // left, top, right, bottom at 96 dots an inch
};

// Twips from the design divided by 15 and rounded, worked out by hand.
const Expected kMainControls[] = {
    {"Text1", "Main", {8, 8, 225, 33}},
    {"SoSo", "Main", {232, 8, 289, 33}},
    {"JiLu_Text", "Main", {296, 14, 513, 31}},
    {"Command19", "Main", {520, 8, 561, 33}},
    {"Frame1", "Main", {8, 40, 561, 113}},
    {"Command1", "Main", {464, 80, 553, 105}},
    {"ListView", "Main", {8, 112, 561, 469}},
    {"Qian", "Main", {8, 477, 97, 510}},
    {"Hou", "Main", {472, 477, 561, 510}},
    {"Label1", "Main", {256, 488, 321, 505}},
    {"List1", "Main", {8, 517, 561, 593}},
    {"List2", "Main", {488, 392, 498, 408}},
    {"List3", "Main", {368, 552, 378, 568}},
    {"HaunCun_Text", "Main", {216, 408, 226, 420}},
    {"WebBrowser1", "Main", {592, 496, 601, 505}},
    {"Command2", "Frame1", {8, 16, 65, 41}},
    {"Command10", "Frame1", {456, 16, 545, 41}},
    {"Command11", "Frame1", {8, 40, 65, 65}},
    {"Command14", "Frame1", {344, 40, 401, 65}},
    {"Command18", "Frame1", {288, 40, 345, 65}},
};

const int kResolutions[] = {96, 120, 144};

class WindowLayoutTest : public ::testing::Test {
 protected:
  WindowLayoutTest() : window_(components_, testing::TestAddresses(), u"C:\\Quorvel", [] {}) {
    components_.scripted.QueueReply(testing::ListingReply({}, "0", "2"));
    window_.StartUp();
  }

  HWND Control(const char* name) {
    HWND found = std::string(name) == "Main" ? window_.hwnd() : window_.Control(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  // Another screen: Windows tells the windows its resolution.
  void MoveToScreenAt(int dpi) {
    for (HWND w : {window_.hwnd(), window_.main1().hwnd()}) {
      RECT r{};
      GetWindowRect(w, &r);
      SendMessageW(w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
    }
    testing::Pump();
  }

  TestComponents components_;
  Main window_;
};

TEST_F(WindowLayoutTest, EveryControlSitsWhereTheDesignPutsItAtEveryResolution) {
  for (int dpi : kResolutions) {
    MoveToScreenAt(dpi);
    EXPECT_EQ(window_.Dpi(), dpi);
    const SIZE client = testing::ClientSize(window_.hwnd());
    EXPECT_NEAR(client.cx, 570 * dpi / 96, 1) << dpi;
    EXPECT_NEAR(client.cy, 600 * dpi / 96, 1) << dpi;
    for (const Expected& e : kMainControls) {
      SCOPED_TRACE(std::string(e.name) + " at " + std::to_string(dpi));
      HWND control = Control(e.name);
      EXPECT_EQ(GetParent(control), Control(e.container));
      const RECT r = testing::PlaceInParent(control);
      // Each edge where the design puts it at this resolution, but for the
      // rounding at 96 and at this one.
      EXPECT_NEAR(r.left, e.pixels.left * dpi / 96.0, 1.5);
      EXPECT_NEAR(r.top, e.pixels.top * dpi / 96.0, 1.5);
      EXPECT_NEAR(r.right, e.pixels.right * dpi / 96.0, 1.5);
      EXPECT_NEAR(r.bottom, e.pixels.bottom * dpi / 96.0, 1.5);
    }
    // The list's columns follow: the visible four fill its width.
    HWND list = Control("ListView");
    int width = 0;
    for (int c = 0; c < 4; ++c) width += ListView_GetColumnWidth(list, c);
    EXPECT_NEAR(width, 553 * dpi / 96, 2);
  }
}

TEST_F(WindowLayoutTest, CaptionsColoursAndStoresAsDrawn) {
  const std::pair<const char*, const wchar_t*> captions[] = {
      {"SoSo", L"搜索"},
      {"Command19", L"关于"},
      {"Qian", L"上一页"},
      {"Hou", L"下一页"},
      {"Command1", L"跑炮卡丁车"},
      {"Command9", L"QQ逆战"},
      {"Command10", L"西游大战僵尸2"},
      {"Command18", L"风暴战区"},
      {"Text1", L"请输入外挂的名称"},
      {"Label1", L"下载地址"},
      {"Frame1", L"热门游戏"},
  };
  for (const auto& [name, caption] : captions) EXPECT_EQ(testing::TextOf(Control(name)), caption);
  EXPECT_EQ(window_.ToolTip(Control("ListView")), u"选择需要下载的外挂,下载地址会显示在下方!");
  EXPECT_EQ(window_.ToolTip(Control("List1")), u"移动到自己喜欢的下载方式选中即可");
  EXPECT_EQ(testing::TextColourOf(Control("JiLu_Text")), RGB(0xFF, 0, 0));
  EXPECT_EQ(testing::TextColourOf(window_.main1().Control("Label1")), RGB(0x40, 0x40, 0x40));
  for (const char* store : {"List2", "List3", "HaunCun_Text"}) {
    EXPECT_FALSE(IsWindowVisible(Control(store))) << store;
  }
  EXPECT_GE(testing::PlaceInParent(Control("WebBrowser1")).left,
            testing::ClientSize(window_.hwnd()).cx);
  for (int i = 2; i <= 18; ++i) {
    EXPECT_EQ(GetParent(Control(("Command" + std::to_string(i)).c_str())), Control("Frame1"));
  }
}

TEST_F(WindowLayoutTest, NoticeWindowAsDrawnInAFrameOfItsOwn) {
  NoticeWindow& notice = window_.main1();
  EXPECT_EQ(testing::TextOf(notice.hwnd()), L"有偿广告");
  EXPECT_EQ(GetWindow(notice.hwnd(), GW_OWNER), nullptr);
  EXPECT_EQ(GetParent(notice.hwnd()), nullptr);
  const SIZE client = testing::ClientSize(notice.hwnd());
  EXPECT_EQ(client.cx, 248);
  EXPECT_EQ(client.cy, 280);
  const std::pair<const char*, RECT> places[] = {{"Label1", {0, 0, 249, 41}},
                                                 {"Frame1", {0, 40, 249, 249}},
                                                 {"WebBrowser1", {-120, -32, 281, 225}},
                                                 {"WebBrowser2", {-8, 233, 361, 282}}};
  for (const auto& [name, pixels] : places) {
    const RECT r = testing::PlaceInParent(notice.Control(name));
    EXPECT_EQ(r.left, pixels.left) << name;
    EXPECT_EQ(r.top, pixels.top) << name;
    EXPECT_EQ(r.right, pixels.right) << name;
    EXPECT_EQ(r.bottom, pixels.bottom) << name;
  }
  // The partner page is seen through the frame.
  EXPECT_EQ(GetParent(notice.Control("WebBrowser1")), notice.Control("Frame1"));
  EXPECT_EQ(testing::TextOf(notice.Control("Label1")),
            L"为了我们更好的发展,请点击一下下面的广告,每天点一次即可,"
            L"您只需动一下手指,即可帮助我们维持服务器运作!Tovi谢谢各位了");
}

// The face, asked for by name, on every control; and every caption, the
// plea and a row of the list whole in its control.
TEST_F(WindowLayoutTest, EveryControlInTheFaceAndNothingClippedAtEveryResolution) {
  std::vector<const char*> texts = {"SoSo", "Command19", "Qian", "Hou", "JiLu_Text", "Label1"};
  for (const char* n :
       {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6", "Command7",
        "Command8", "Command9", "Command10", "Command11", "Command12", "Command13", "Command14",
        "Command15", "Command16", "Command17", "Command18"}) {
    texts.push_back(n);
  }
  SetWindowTextW(Control("JiLu_Text"), L"Quorvel共有 40000 个外挂");
  window_.List().AddRow(0, u"穿越火线");
  window_.List().CommitRows();
  for (int dpi : kResolutions) {
    MoveToScreenAt(dpi);
    const int em = WindowFont::PixelHeight(9, dpi);
    // A button keeps a few pixels of its edge on each side.
    const int edge = 3 * dpi / 96;
    for (const char* name : texts) {
      SCOPED_TRACE(std::string(name) + " at " + std::to_string(dpi));
      HWND control = Control(name);
      const LOGFONTW font = testing::FontOf(control);
      EXPECT_EQ(font.lfFaceName, WindowFont::FaceName());
      EXPECT_EQ(-font.lfHeight, em);
      const SIZE text = testing::TextExtent(control, testing::TextOf(control));
      const SIZE room = testing::ClientSize(control);
      wchar_t window_class[32] = {};
      GetClassNameW(control, window_class, 32);
      const bool button = lstrcmpiW(window_class, WC_BUTTONW) == 0;
      EXPECT_LE(text.cx + (button ? 2 * edge : 0), room.cx);
      EXPECT_LE(text.cy + (button ? 2 * edge : 0), room.cy);
    }
    HWND frame = Control("Frame1");
    EXPECT_LE(testing::TextExtent(frame, L"热门游戏").cy,
              testing::PlaceInParent(Control("Command2")).top);
    HWND text1 = Control("Text1");
    EXPECT_LE(testing::TextExtent(text1, L"请输入外挂的名称").cx, testing::ClientSize(text1).cx);

    HWND plea = window_.main1().Control("Label1");
    const SIZE room = testing::ClientSize(plea);
    EXPECT_LE(testing::TextExtent(plea, testing::TextOf(plea), room.cx).cy, room.cy) << dpi;

    HWND list = Control("ListView");
    HWND header = ListView_GetHeader(list);
    RECT header_item{};
    Header_GetItemRect(header, 0, &header_item);
    EXPECT_LE(testing::TextExtent(header, L"外挂分类").cy, header_item.bottom - header_item.top);
    EXPECT_LE(testing::TextExtent(header, L"更新时间").cx + 2 * edge,
              ListView_GetColumnWidth(list, 3));
    RECT row{};
    ListView_GetItemRect(list, 0, &row, LVIR_BOUNDS);
    EXPECT_LE(testing::TextExtent(list, L"2014-06-30 09:59:43").cx + 2 * edge,
              ListView_GetColumnWidth(list, 3));
    EXPECT_LE(testing::TextExtent(list, L"穿越火线").cy, row.bottom - row.top);
  }
}

TEST_F(WindowLayoutTest, TabWalksTheControlsInTheirDesignedOrder) {
  // Page buttons are enabled for the walk: disabled ones are passed over.
  EnableWindow(Control("Qian"), TRUE);
  // The first control a user can see and use has the focus at start-up.
  EXPECT_EQ(GetFocus(), Control("List1"));
  const std::vector<std::string> expected = {
      "List1",     "ListView",  "Qian",      "Hou",       "Text1",     "SoSo",      "Command1",
      "Command2",  "Command3",  "Command4",  "Command5",  "Command6",  "Command7",  "Command8",
      "Command9",  "Command10", "Command11", "Command12", "Command13", "Command14", "Command15",
      "Command16", "Command17", "Command18", "Command19", "List1"};
  std::vector<std::string> walked;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    HWND focus = GetFocus();
    std::string name = "?";
    for (const std::string& candidate : expected) {
      if (window_.Control(candidate) == focus) name = candidate;
    }
    walked.push_back(name);
    quorvel::testing::PressKey(focus, VK_TAB, &TranslateDialogKeys);
  }
  EXPECT_EQ(walked, expected);
}

TEST_F(WindowLayoutTest, BothWindowsCarryTheProgramsIcon) {
  for (HWND w : {window_.hwnd(), window_.main1().hwnd()}) {
    EXPECT_NE(SendMessageW(w, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_NE(SendMessageW(w, WM_GETICON, ICON_BIG, 0), 0);
  }
}

}  // namespace
}  // namespace quorvel::shell
