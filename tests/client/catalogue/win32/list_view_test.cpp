// The catalogue list on the common controls' ListView, as the control shows
// it: its columns at each resolution, its rows and cells, and when it says
// the user chose a row.

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "client/catalogue/listing_service.h"
#include "client/catalogue/text16.h"
#include "client/catalogue/win32/win32_list_view.h"
#include "win32_messages.h"

namespace quorvel::catalogue {
namespace {

using quorvel::testing::Click;
using quorvel::testing::PressKey;
using quorvel::testing::PumpMessages;

// A plain top-level window to hold the list, shown so that the list lays out
// and takes the focus as in the program.
class HostWindow {
 public:
  HostWindow() {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = &DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"ListViewTestHost";
    RegisterClassW(&window_class);
    window_ = CreateWindowExW(0, L"ListViewTestHost", L"list", WS_OVERLAPPEDWINDOW, 0, 0, 700, 500,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window_, SW_SHOW);
  }
  ~HostWindow() { DestroyWindow(window_); }
  HWND hwnd() const { return window_; }

 private:
  HWND window_;
};

std::wstring ShownText(HWND list, int row, int column) {
  wchar_t buffer[300] = {};
  ListView_GetItemText(list, row, column, buffer, 300);
  return buffer;
}

std::wstring Caption(HWND list, int column) {
  wchar_t buffer[64] = {};
  LVCOLUMNW info{};
  info.mask = LVCF_TEXT;
  info.pszText = buffer;
  info.cchTextMax = 64;
  ListView_GetColumn(list, column, &info);
  return buffer;
}

class ListViewTest : public ::testing::Test {
 protected:
  ListViewTest() : list_(host_.hwnd(), 7, 96) {
    MoveWindow(list_.hwnd(), 8, 8, 553, 357, TRUE);
    ShowWindow(list_.hwnd(), SW_SHOW);
    PrepareListColumns(list_);
    list_.SetRowChosenHandler([this](int row) { chosen_.push_back(row); });
  }

  void Fill(int rows) {
    for (int r = 0; r < rows; ++r) {
      list_.AddRow(list_.RowCount(), u"分类" + Decimal(r));
      for (int c = 1; c < 6; ++c) list_.SetCell(list_.RowCount() - 1, c, Decimal(r * 10 + c));
    }
  }
  POINT CellCentre(int row, int column) {
    RECT cell{};
    ListView_GetSubItemRect(list_.hwnd(), row, column, LVIR_BOUNDS, &cell);
    return {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
  }

  HostWindow host_;
  Win32ListView list_;
  std::vector<int> chosen_;
};

TEST_F(ListViewTest, ColumnsAsPreparedWithTheLastTwoHidden) {
  const wchar_t* const captions[] = {L"外挂分类", L"外挂标题", L"授权方式",
                                     L"更新时间", L"下载地址", L"id"};
  const int widths[] = {90, 233, 90, 140, 0, 0};
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(Caption(list_.hwnd(), c), captions[c]);
    EXPECT_EQ(ListView_GetColumnWidth(list_.hwnd(), c), widths[c]) << c;
  }
  // Rows under the headers, chosen whole, with grid lines, on white.
  const DWORD extended = ListView_GetExtendedListViewStyle(list_.hwnd());
  EXPECT_NE(extended & LVS_EX_FULLROWSELECT, 0u);
  EXPECT_NE(extended & LVS_EX_GRIDLINES, 0u);
  EXPECT_TRUE(IsWindowVisible(ListView_GetHeader(list_.hwnd())));
  EXPECT_EQ(ListView_GetBkColor(list_.hwnd()), RGB(255, 255, 255));
  EXPECT_NE(GetWindowLongPtrW(list_.hwnd(), GWL_STYLE) & LVS_OWNERDATA, 0);
}

TEST_F(ListViewTest, ColumnsKeepTheirShareAtEveryResolution) {
  // The user widened the hidden links column first.
  ListView_SetColumnWidth(list_.hwnd(), 4, 60);
  struct Case {
    int dpi;
    int widths[6];
  };
  const Case cases[] = {{120, {112, 291, 112, 175, 75, 0}},
                        {144, {135, 349, 135, 210, 90, 0}},
                        {96, {90, 232, 90, 140, 60, 0}}};
  for (const Case& c : cases) {
    list_.SetDpi(c.dpi);
    for (int column = 0; column < 6; ++column) {
      EXPECT_NEAR(ListView_GetColumnWidth(list_.hwnd(), column), c.widths[column], 1)
          << c.dpi << " dpi, column " << column;
    }
  }
  // A list made on a screen at 150 % has its columns at that scale from the start.
  Win32ListView at144(host_.hwnd(), 8, 144);
  PrepareListColumns(at144);
  const int widths[] = {135, 350, 135, 210, 0, 0};
  for (int c = 0; c < 6; ++c) EXPECT_EQ(ListView_GetColumnWidth(at144.hwnd(), c), widths[c]) << c;
}

TEST_F(ListViewTest, RowsAndCellsAsTheControlShowsThem) {
  list_.AddRow(0, u"穿越火线");
  list_.SetCell(0, 1, u"标题");
  list_.SetCell(0, 3, u"2024-01-01");
  list_.AddRow(1, u"QQ飞车");
  // Out of the table: nothing changes.
  list_.AddRow(5, u"x");
  list_.SetCell(2, 1, u"x");
  list_.SetCell(0, 6, u"x");
  EXPECT_EQ(list_.RowCount(), 2);
  // The control hears of new rows when its messages are next handled.
  EXPECT_EQ(ListView_GetItemCount(list_.hwnd()), 0);
  PumpMessages();
  EXPECT_EQ(ListView_GetItemCount(list_.hwnd()), 2);
  EXPECT_EQ(ShownText(list_.hwnd(), 0, 0), L"穿越火线");
  EXPECT_EQ(ShownText(list_.hwnd(), 0, 1), L"标题");
  EXPECT_EQ(ShownText(list_.hwnd(), 0, 3), L"2024-01-01");
  // Cells never set show empty.
  EXPECT_EQ(ShownText(list_.hwnd(), 0, 4), L"");
  EXPECT_EQ(ShownText(list_.hwnd(), 1, 5), L"");

  list_.ClearRows();
  EXPECT_EQ(list_.RowCount(), 0);
  EXPECT_EQ(ListView_GetItemCount(list_.hwnd()), 0);
  list_.AddRow(list_.RowCount(), u"传奇");
  list_.CommitRows();
  EXPECT_EQ(ShownText(list_.hwnd(), 0, 0), L"传奇");
}

TEST_F(ListViewTest, FortyThousandRowsReachTheControlTogether) {
  // Told of them one at a time, the control would lay itself out as often.
  Fill(40000);
  EXPECT_EQ(list_.RowCount(), 40000);
  EXPECT_EQ(ListView_GetItemCount(list_.hwnd()), 0);
  PumpMessages();
  EXPECT_EQ(ListView_GetItemCount(list_.hwnd()), 40000);
  EXPECT_EQ(ShownText(list_.hwnd(), 39999, 0), L"分类39999");
  EXPECT_EQ(ShownText(list_.hwnd(), 39999, 5), L"399995");
  ListView_EnsureVisible(list_.hwnd(), 39999, FALSE);
  PumpMessages();
  EXPECT_GE(ListView_GetTopIndex(list_.hwnd()), 39000);
}

TEST_F(ListViewTest, RowChosenByTheUsersMouseAndKeysOnly) {
  Fill(20);
  PumpMessages();
  SetFocus(list_.hwnd());
  struct Step {
    const char* what;
    std::function<void()> act;
    std::vector<int> chosen;
  };
  const Step steps[] = {
      {"click on row 2", [&] { Click(list_.hwnd(), CellCentre(2, 1)); }, {2}},
      {"click on row 2 again", [&] { Click(list_.hwnd(), CellCentre(2, 3)); }, {2}},
      {"arrow down", [&] { PressKey(list_.hwnd(), VK_DOWN); }, {3}},
      {"end", [&] { PressKey(list_.hwnd(), VK_END); }, {19}},
      {"the program moves the focus",
       [&] {
         ListView_SetItemState(list_.hwnd(), 5, LVIS_FOCUSED | LVIS_SELECTED,
                               LVIS_FOCUSED | LVIS_SELECTED);
         PumpMessages();
       },
       {}},
      {"the program clears the rows",
       [&] {
         list_.ClearRows();
         Fill(3);
         PumpMessages();
       },
       {}},
      {"a click below the rows",
       [&] {
         Click(list_.hwnd(), {100, 300});
       },
       {}},
  };
  for (const Step& step : steps) {
    chosen_.clear();
    step.act();
    EXPECT_EQ(chosen_, step.chosen) << step.what;
  }
}

TEST_F(ListViewTest, TypingARowsFirstLettersChoosesIt) {
  for (const char16_t* category : {u"CSOL", u"QQ飞车", u"QQ炫舞", u"传奇"}) {
    list_.AddRow(list_.RowCount(), category);
  }
  PumpMessages();
  SetFocus(list_.hwnd());
  SendMessageW(list_.hwnd(), WM_CHAR, L'q', 1);
  EXPECT_EQ(chosen_, std::vector<int>{1});
}

}  // namespace
}  // namespace quorvel::catalogue
