// The Win32 windows against the real listing service (the Linux
// catalogue-service on loopback, started by the run with 111 entries a page)
// with a real transfer, driven with the messages a user's input brings.  The
// run hands the service's host:port in QUORVEL_LISTING_SERVICE and a port
// nobody listens on in QUORVEL_REFUSING_SERVER.

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "client/shell/win32/main_window.h"
#include "doubles/client/shell/win32/shell_doubles.h"
#include "stand_in_transfer.h"
#include "window_checks.h"

namespace quorvel::shell {
namespace {

using testing::Pump;
using testing::TestComponents;

std::u16string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::u16string() : std::u16string(value, value + std::strlen(value));
}

std::u16string Replace(std::u16string text, std::u16string_view from, std::u16string_view to) {
  if (const auto at = text.find(from); at != std::u16string::npos)
    text.replace(at, from.size(), to);
  return text;
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    service_ = Environment("QUORVEL_LISTING_SERVICE");
    ASSERT_FALSE(service_.empty()) << "the run provides the listing service";
    components_.scripted.SetResponder([this](std::u16string_view address) {
      // While the service is "down" every fetch goes to a port nobody listens on.
      return transfer_.OpenURL(
          down_ ? Replace(std::u16string(address), service_, Environment("QUORVEL_REFUSING_SERVER"))
                : std::u16string(address));
    });
    window_ = std::make_unique<Main>(components_, AddressesForHosts(service_, service_, service_),
                                     u"C:\\Quorvel", [] {});
    window_->StartUp();
    Pump();
  }

  HWND Control(const char* name) { return window_->Control(name); }
  bool Enabled(const char* name) { return IsWindowEnabled(Control(name)) != FALSE; }
  std::wstring Counter() { return testing::TextOf(Control("JiLu_Text")); }
  int Rows() { return window_->List().RowCount(); }
  std::u16string Cell(int row, int column) {
    return std::u16string(window_->List().CellText(row, column));
  }
  void Click(const char* button) { testing::ClickButton(Control(button)); }
  // The queries sent, in order, without the script's address.
  std::vector<std::u16string> Queries() {
    const std::u16string prefix = u"OpenURL http://" + service_ + u"/adminphp/admin_upload.php?";
    std::vector<std::u16string> queries;
    for (const std::u16string& line : components_.log) {
      if (line.starts_with(prefix)) queries.push_back(line.substr(prefix.size()));
    }
    return queries;
  }
  // The entry count of the last reply, as the service wrote it.
  int TrailerCount() {
    const std::string& reply = window_->Session().ReplyBytes();
    const auto at = reply.find("?TtbBa?");
    return at == std::string::npos ? -1 : std::atoi(reply.c_str() + at + 7);
  }
  void Type(const wchar_t* text) {
    HWND text1 = Control("Text1");
    quorvel::testing::Click(text1, {5, 5});
    for (const wchar_t* c = text; *c != 0; ++c) SendMessageW(text1, WM_CHAR, *c, 1);
  }
  void ChooseRowByMouse(int row) {
    HWND list = Control("ListView");
    RECT cell{};
    ListView_GetSubItemRect(list, row, 1, LVIR_BOUNDS, &cell);
    quorvel::testing::Click(list, {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2});
    Pump();
  }
  std::vector<std::wstring> List1Lines() {
    std::vector<std::wstring> lines;
    HWND list1 = Control("List1");
    for (LRESULT i = 0; i < SendMessageW(list1, LB_GETCOUNT, 0, 0); ++i) {
      wchar_t line[256] = {};
      SendMessageW(list1, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
      lines.push_back(line);
    }
    return lines;
  }

  std::u16string service_;
  bool down_ = false;
  testing::StandInTransfer transfer_;
  TestComponents components_;
  std::unique_ptr<Main> window_;
};

TEST_F(EndToEnd, StartUpListsPageOneOfTheWholeCatalogue) {
  EXPECT_TRUE(IsWindowVisible(window_->hwnd()));
  EXPECT_EQ(Queries(), std::vector<std::u16string>{u"page=1"});
  EXPECT_EQ(Rows(), 111);
  EXPECT_EQ(Counter(), L"Quorvel共有 331 个外挂");
  EXPECT_FALSE(Enabled("Qian"));
  EXPECT_TRUE(Enabled("Hou"));
  EXPECT_FALSE(IsWindowVisible(Control("Notice")));
  // Start-up fills the id column but not the links column.
  EXPECT_FALSE(Cell(0, 5).empty());
  EXPECT_TRUE(Cell(0, 4).empty());
  // The control shows the rows the list holds.
  EXPECT_EQ(ListView_GetItemCount(Control("ListView")), 111);
}

TEST_F(EndToEnd, ThreePagesForwardAndBack) {
  struct Step {
    const char* button;
    const char16_t* query;
    bool qian;
    bool hou;
    int rows;
  };
  const Step steps[] = {{"Hou", u"page=2", true, true, 111},
                        {"Hou", u"page=3", true, false, 109},
                        {"Qian", u"page=2", true, true, 111},
                        {"Qian", u"page=1", false, true, 111}};
  for (const Step& s : steps) {
    Click(s.button);
    EXPECT_EQ(Queries().back(), s.query);
    EXPECT_EQ(Enabled("Qian"), s.qian) << s.button;
    EXPECT_EQ(Enabled("Hou"), s.hou) << s.button;
    EXPECT_EQ(Rows(), s.rows);
    EXPECT_EQ(Counter(), L"当页共有 331 外挂");
    // Paging fills both hidden columns too.
    EXPECT_FALSE(Cell(0, 4).empty());
    EXPECT_FALSE(Cell(0, 5).empty());
  }
}

TEST_F(EndToEnd, ACategoryThenASearchTypedAndEntered) {
  Click("Command2");
  EXPECT_EQ(Queries().back(), u"page=1&q=%E7%A9%BF%E8%B6%8A%E7%81%AB%E7%BA%BF");
  const int count = TrailerCount();
  ASSERT_GT(count, 0);
  EXPECT_EQ(Counter(), L"当前有 " + std::to_wstring(count) + L" 个穿越火线外挂");
  EXPECT_EQ(Rows(), std::min(count, 111));
  EXPECT_EQ(Cell(0, 0), u"穿越火线");

  Type(L"  C++ 源码 ");
  quorvel::testing::PressKey(Control("Text1"), VK_RETURN, &TranslateDialogKeys);
  EXPECT_EQ(Queries().back(), u"page=1&q=C%2B%2B%20%E6%BA%90%E7%A0%81");
  ASSERT_GT(Rows(), 0);
  EXPECT_EQ(Counter(), L"搜索到 " + std::to_wstring(TrailerCount()) + L" 结果");
  for (int row = 0; row < Rows(); ++row) {
    EXPECT_NE(Cell(row, 1).find(u"C++ 源码"), std::u16string::npos) << row;
  }
  EXPECT_FALSE(Enabled("Qian"));
}

TEST_F(EndToEnd, ChoosingAnEntryShowsItsLinkNamesAndOpensOnlyASafeOne) {
  Type(L"危险链接条目");
  Click("SoSo");
  ASSERT_EQ(Rows(), 1);
  ChooseRowByMouse(0);
  EXPECT_EQ(List1Lines(), (std::vector<std::wstring>{L"本地文件", L"网页"}));
  HWND list1 = Control("List1");
  RECT line{};
  SendMessageW(list1, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&line));
  quorvel::testing::Click(list1, {line.left + 5, (line.top + line.bottom) / 2});
  ASSERT_NE(components_.shell_open, nullptr);
  EXPECT_TRUE(components_.shell_open->opened().empty()) << "file: must be refused";
  EXPECT_TRUE(IsWindowVisible(Control("Notice")));
  SetFocus(list1);
  quorvel::testing::PressKey(list1, VK_DOWN, &TranslateDialogKeys);
  ASSERT_EQ(components_.shell_open->opened().size(), 1u);
  EXPECT_EQ(components_.shell_open->opened()[0].address, u"http://127.0.0.1:9/x");
  EXPECT_EQ(components_.shell_open->opened()[0].working_directory, u"C:\\Quorvel");
  EXPECT_FALSE(IsWindowVisible(Control("Notice")));
}

TEST_F(EndToEnd, AFailedLoadOfEachKindKeepsTheWindowAsItWas) {
  Click("Hou");
  ASSERT_EQ(window_->Session().PageNo(), 2);
  const std::wstring counter = Counter();
  const std::u16string first_title = Cell(0, 1);
  down_ = true;
  for (const char* button : {"Command2", "SoSo", "Hou"}) {
    SCOPED_TRACE(button);
    Click(button);
    EXPECT_TRUE(IsWindowVisible(Control("Notice")));
    EXPECT_FALSE(testing::TextOf(Control("Notice")).empty());
    EXPECT_EQ(Counter(), counter);
    EXPECT_EQ(Rows(), 111);
    EXPECT_EQ(Cell(0, 1), first_title);
    EXPECT_EQ(window_->Session().PageNo(), 2);
    EXPECT_TRUE(Enabled("Qian"));
    EXPECT_TRUE(Enabled("Hou"));
  }
  down_ = false;
  Click("Hou");
  EXPECT_EQ(Queries().back(), u"page=3");
  EXPECT_FALSE(IsWindowVisible(Control("Notice")));
}

}  // namespace
}  // namespace quorvel::shell
