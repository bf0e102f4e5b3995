// The Win32 windows' own behaviour with doubles, driven with the messages a
// user's input brings: the start-up, the search box, the buttons, the
// failure notice, the link list, the About box, where the notice window goes
// and when the program ends.  What the clicks do to the page is the main
// window's logic, tested without a window.

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/shell/about_text.h"
#include "client/shell/win32/main_window.h"
#include "client/shell/win32/notice_window.h"
#include "doubles/client/shell/win32/shell_doubles.h"
#include "window_checks.h"

namespace quorvel::shell {
namespace {

using catalogue::TransferResult;
using testing::Pump;
using testing::TestComponents;

const std::u16string kBase = u"OpenURL http://list.test/adminphp/admin_upload.php?";

std::string LinksReply() {
  return testing::ListingReply(
      {{"CF", "one", "free", "2024", "a/*/http://x.test/a/**/b/*/http://x.test/b/**/", "1"},
       {"CF", "two", "free", "2024", "c/*/http://x.test/c/**/", "2"}},
      "2", "3");
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest()
      : window_(components_, testing::TestAddresses(), u"C:\\Program Files\\Quorvel",
                [this] { ++both_closed_; }) {}

  void StartUp() {
    components_.scripted.QueueReply(LinksReply());
    window_.StartUp();
    Pump();
  }
  HWND Control(const char* name) { return window_.Control(name); }
  std::u16string LastFetch() {
    std::u16string last;
    for (const std::u16string& line : components_.log) {
      if (line.starts_with(kBase)) last = line.substr(kBase.size());
    }
    return last;
  }
  std::vector<std::wstring> List1Lines() { return testing::ListBoxLines(Control("List1")); }
  std::vector<std::u16string> Opened() {
    std::vector<std::u16string> opened;
    for (const auto& o : components_.shell_open->opened()) opened.push_back(o.address);
    return opened;
  }
  void ChooseRow(int row) { testing::ClickRow(Control("ListView"), row); }

  TestComponents components_;
  int both_closed_ = 0;
  Main window_;
};

TEST_F(MainWindowTest, StartUpShowsTheNoticeFirstAndThisWindowOnlyWithPageOne) {
  bool load_checked = false;
  components_.scripted.SetResponder([&](std::u16string_view) {
    EXPECT_TRUE(IsWindowVisible(window_.main1().hwnd()));
    EXPECT_FALSE(IsWindowVisible(window_.hwnd()));
    EXPECT_EQ(testing::TextOf(window_.hwnd()), L"Quorvel1.8");
    load_checked = true;
    TransferResult result;
    result.body = LinksReply();
    return result;
  });
  window_.StartUp();
  EXPECT_TRUE(load_checked);
  EXPECT_TRUE(IsWindowVisible(window_.hwnd()));
  EXPECT_EQ(window_.List().RowCount(), 2);
  EXPECT_EQ(testing::TextOf(Control("JiLu_Text")), L"Quorvel共有 2 个外挂");
  // The skin is not for these windows; its step is skipped and nothing else.
  ASSERT_NE(components_.skin, nullptr);
  EXPECT_EQ(components_.skin->files(),
            std::vector<std::u16string>{u"C:\\Program Files\\Quorvel\\Skin\\Skin.she"});
  EXPECT_EQ(components_.media_player->urls(),
            std::vector<std::u16string>{u"C:\\Program Files\\Quorvel\\mp3\\mp3.mp3"});
  ASSERT_EQ(components_.browsers.size(), 3u);
  EXPECT_EQ(components_.browsers[0]->addresses(),
            std::vector<std::u16string>{u"http://site.test/tishi1.8.html"});
  EXPECT_EQ(components_.browsers[1]->addresses(),
            std::vector<std::u16string>{u"http://partner.test"});
  EXPECT_EQ(components_.browsers[2]->addresses(),
            std::vector<std::u16string>{u"http://site.test/gonggao.html"});
  // Each browser fills the host the design places.
  EXPECT_EQ(components_.browser_hosts[0], Control("WebBrowser1"));
  EXPECT_EQ(components_.browser_hosts[1], window_.main1().Control("WebBrowser1"));
  EXPECT_EQ(components_.browser_hosts[2], window_.main1().Control("WebBrowser2"));
}

TEST_F(MainWindowTest, EveryClickIntoTheSearchBoxEmptiesItAndEnterSearches) {
  StartUp();
  HWND text1 = Control("Text1");
  // Untouched, the box searches for its prompt.
  quorvel::testing::PressKey(text1, VK_RETURN, &TranslateDialogKeys);
  EXPECT_EQ(LastFetch(),
            u"page=1&q=%E8%AF%B7%E8%BE%93%E5%85%A5%E5%A4%96%E6%8C%82%E7%9A%84%E5%90%8D%E7%A7%B0");
  quorvel::testing::Click(text1, {5, 5});
  EXPECT_EQ(testing::TextOf(text1), L"");
  for (wchar_t c : std::wstring(L" QQ飞车 ")) SendMessageW(text1, WM_CHAR, c, 1);
  quorvel::testing::PressKey(text1, VK_RETURN, &TranslateDialogKeys);
  EXPECT_EQ(LastFetch(), u"page=1&q=QQ%E9%A3%9E%E8%BD%A6");
  // The term stays until the next click into the box.
  EXPECT_EQ(testing::TextOf(text1), L" QQ飞车 ");
  quorvel::testing::Click(text1, {5, 5});
  EXPECT_EQ(testing::TextOf(text1), L"");
}

TEST_F(MainWindowTest, EachButtonReachesItsAction) {
  StartUp();
  const std::pair<const char*, const char16_t*> clicks[] = {
      {"Command2", u"page=1&q=%E7%A9%BF%E8%B6%8A%E7%81%AB%E7%BA%BF"},
      {"Command1", u"page=1&q=%E8%B7%91%E7%82%AE%E5%8D%A1%E4%B8%81%E8%BD%A6"},
      {"Command9", u"page=1&q=%E9%80%86%E6%88%98"},
      {"Hou", u"page=2"},
      {"Qian", u"page=1"},
      {"SoSo",
       u"page=1&q=%E8%AF%B7%E8%BE%93%E5%85%A5%E5%A4%96%E6%8C%82%E7%9A%84%E5%90%8D%E7%A7%B0"},
  };
  for (const auto& [button, query] : clicks) {
    components_.scripted.QueueReply(LinksReply());
    testing::ClickButton(Control(button));
    EXPECT_EQ(LastFetch(), query) << button;
  }
  // Paging set the buttons: back on page 1, only Hou.
  EXPECT_FALSE(IsWindowEnabled(Control("Qian")));
  EXPECT_TRUE(IsWindowEnabled(Control("Hou")));
}

TEST_F(MainWindowTest, AFailedLoadIsToldOverTheFootOfTheListUntilClickedAway) {
  StartUp();
  components_.scripted.QueueFailure(TransferResult::Failure::kRefused, u"没有人应答。");
  testing::ClickButton(Control("Command2"));
  HWND notice = Control("Notice");
  ASSERT_TRUE(IsWindowVisible(notice));
  const std::wstring told = testing::TextOf(notice);
  EXPECT_NE(told.find(L"没有人应答。"), std::wstring::npos);
  EXPECT_EQ(window_.ToolTip(notice), std::u16string(told.begin(), told.end()));
  // The window is as it was, and the notice lies over the list's foot.
  EXPECT_EQ(window_.List().RowCount(), 2);
  const RECT list = testing::PlaceInParent(Control("ListView"));
  const RECT over = testing::PlaceInParent(notice);
  EXPECT_GT(over.top, (list.top + list.bottom) / 2);
  EXPECT_LE(over.bottom, list.bottom);
  EXPECT_EQ(
      ChildWindowFromPointEx(window_.hwnd(), {over.left + 5, over.top + 5}, CWP_SKIPINVISIBLE),
      notice);
  quorvel::testing::Click(notice, {5, 5});
  EXPECT_FALSE(IsWindowVisible(notice));
}

TEST_F(MainWindowTest, ChoosingARowListsItsLinksAndTheUsersSelectionOpensOne) {
  StartUp();
  ChooseRow(0);
  EXPECT_EQ(List1Lines(), (std::vector<std::wstring>{L"a", L"b"}));
  EXPECT_TRUE(Opened().empty());
  HWND list1 = Control("List1");
  RECT line{};
  SendMessageW(list1, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&line));
  quorvel::testing::Click(list1, {line.left + 5, (line.top + line.bottom) / 2});
  EXPECT_EQ(Opened(), std::vector<std::u16string>{u"http://x.test/b"});
  SetFocus(list1);
  quorvel::testing::PressKey(list1, VK_UP, &TranslateDialogKeys);
  EXPECT_EQ(Opened().back(), u"http://x.test/a");
  quorvel::testing::PressKey(list1, VK_RETURN, &TranslateDialogKeys);
  EXPECT_EQ(Opened(), (std::vector<std::u16string>{u"http://x.test/b", u"http://x.test/a",
                                                   u"http://x.test/a"}));
  EXPECT_EQ(components_.shell_open->opened().back().working_directory,
            u"C:\\Program Files\\Quorvel");
  // Another row fills the list anew and opens nothing by itself.
  ChooseRow(1);
  EXPECT_EQ(List1Lines(), std::vector<std::wstring>{L"c"});
  EXPECT_EQ(Opened().size(), 3u);
}

// The About box is modal: it is looked at, then closed, from a timer of the
// test's thread that runs in the box's own message loop.
struct AboutBoxSeen {
  bool found = false;
  std::wstring text;
  int buttons = 0;
  int icons = 0;
};
AboutBoxSeen about_box_seen;

BOOL CALLBACK NoteChild(HWND child, LPARAM) {
  wchar_t window_class[32] = {};
  GetClassNameW(child, window_class, 32);
  const auto style = GetWindowLongPtrW(child, GWL_STYLE);
  if (lstrcmpiW(window_class, L"Button") == 0) ++about_box_seen.buttons;
  if (lstrcmpiW(window_class, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
      SendMessageW(child, STM_GETICON, 0, 0) != 0) {
    ++about_box_seen.icons;
  }
  if (lstrcmpiW(window_class, L"Static") == 0 && (style & SS_TYPEMASK) != SS_ICON) {
    about_box_seen.text += testing::TextOf(child);
  }
  return TRUE;
}

void CALLBACK LookAtAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = FindWindowW(L"#32770", L"关于");
  if (box == nullptr) return;
  KillTimer(nullptr, timer);
  about_box_seen.found = true;
  EnumChildWindows(box, &NoteChild, 0);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(MainWindowTest, AboutBoxHasItsTitleTextAndOnlyAnOkButton) {
  StartUp();
  about_box_seen = {};
  SetTimer(nullptr, 0, 20, &LookAtAboutBox);
  testing::ClickButton(Control("Command19"));
  ASSERT_TRUE(about_box_seen.found);
  const std::u16string text = AboutText(testing::TestAddresses());
  EXPECT_EQ(about_box_seen.text, std::wstring(text.begin(), text.end()));
  EXPECT_EQ(about_box_seen.buttons, 1);
  EXPECT_EQ(about_box_seen.icons, 0);
}

TEST_F(MainWindowTest, NoticeWindowSitsInTheScreensBottomRightCornerAtEveryResolution) {
  StartUp();
  HWND notice = window_.main1().hwnd();
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(notice, MONITOR_DEFAULTTOPRIMARY), &monitor);
  for (int dpi : {96, 144, 120}) {
    RECT r{};
    GetWindowRect(notice, &r);
    SendMessageW(notice, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
    GetWindowRect(notice, &r);
    // The whole screen, not its work area; 450 twips are 30 pixels at 96,
    // 38 at 120 (37.5 rounded), 45 at 144.
    EXPECT_EQ(r.right, monitor.rcMonitor.right) << dpi;
    EXPECT_EQ(r.bottom, monitor.rcMonitor.bottom - (450 * dpi + 720) / 1440) << dpi;
    EXPECT_EQ(testing::ClientSize(notice).cx, 3720 * dpi / 1440) << dpi;
  }
}

TEST_F(MainWindowTest, ClosingThisWindowLeavesTheNoticeAndBothClosedEndTheProgram) {
  StartUp();
  SendMessageW(window_.hwnd(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(window_.IsOpen());
  EXPECT_TRUE(IsWindowVisible(window_.main1().hwnd()));
  EXPECT_EQ(both_closed_, 0);
  SendMessageW(window_.main1().hwnd(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(window_.main1().IsOpen());
  EXPECT_EQ(both_closed_, 1);
}

}  // namespace
}  // namespace quorvel::shell
