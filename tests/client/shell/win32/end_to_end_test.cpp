// The Win32 windows with the program's own transfer, shell "open" and
// browser controls against the real listing service (the Linux
// catalogue-service on loopback, started by the run with 111 entries a page),
// driven with the messages a user's input brings.  The run hands the
// service's host:port in QUORVEL_LISTING_SERVICE, its request log in
// QUORVEL_SERVICE_LOG, a port nobody listens on in QUORVEL_REFUSING_SERVER,
// and the file its fake xdg-open writes to in QUORVEL_OPENED_LOG.

#include <windows.h>
#include <winsock2.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "client/catalogue/win32/shell_execute_open.h"
#include "client/catalogue/win32/winhttp_transfer.h"
#include "client/shell/win32/main_window.h"
#include "client/shell/win32/win32_main_components.h"
#include "doubles/client/shell/win32/shell_doubles.h"
#include "window_checks.h"

namespace quorvel::shell {
namespace {

using testing::Pump;
using testing::TestComponents;

std::u16string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::u16string() : std::u16string(value, value + std::strlen(value));
}

// A Linux file as Wine reaches it.
std::string LinuxFile(const std::u16string& path) {
  std::wstring windows = L"Z:";
  for (const char16_t c : path) windows += c == u'/' ? L'\\' : static_cast<wchar_t>(c);
  std::ifstream file{std::filesystem::path(windows)};
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Handles the windows' messages until `done`, for half a minute at most.
bool PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 600; ++i) {
    if (done()) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Pump();
  }
  return done();
}

// A loopback port that takes connections and never answers them.
class SilentListener {
 public:
  SilentListener() {
    WSADATA data{};
    WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    if (bind(socket_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        listen(socket_, 16) == 0 &&
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port_ = ntohs(address.sin_port);
    }
  }
  ~SilentListener() {
    closesocket(socket_);
    WSACleanup();
  }
  std::u16string Host() const {
    const std::string host = "127.0.0.1:" + std::to_string(port_);
    return std::u16string(host.begin(), host.end());
  }
  // Whether a connection waits to be taken.
  bool Asked() const {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(socket_, &ready);
    timeval now{0, 0};
    return select(0, &ready, nullptr, nullptr, &now) == 1;
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  int port_ = 0;
};

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
    // The program's own components throughout; the transfer is reached
    // through the scripted one, which writes down every address.
    Win32MainComponents* real = &real_;
    components_.make_shell_open = [real] { return real->MakeShellOpen(); };
    components_.make_web_browser = [real](HWND host) { return real->MakeWebBrowser(host); };
    components_.scripted.SetResponder([this](std::u16string_view address) {
      // While the service is "down" every fetch goes to a port nobody listens on.
      return transfer_.OpenURL(
          down_ ? Replace(std::u16string(address), service_, Environment("QUORVEL_REFUSING_SERVER"))
                : std::u16string(address));
    });
  }
  void Open() { Open(service_); }
  // The site and partner pages from `site`.
  void Open(const std::u16string& site) {
    window_ = std::make_unique<Main>(components_, AddressesForHosts(service_, site, site),
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
  std::vector<std::wstring> List1Lines() { return testing::ListBoxLines(Control("List1")); }

  std::u16string service_;
  bool down_ = false;
  catalogue::WinHttpTransfer transfer_;
  Win32MainComponents real_;
  TestComponents components_;
  std::unique_ptr<Main> window_;
};

TEST_F(EndToEnd, StartUpListsPageOneOfTheWholeCatalogue) {
  Open();
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
  Open();
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
  Open();
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
  Open();
  Type(L"危险链接条目");
  Click("SoSo");
  ASSERT_EQ(Rows(), 1);
  testing::ClickRow(Control("ListView"), 0);
  EXPECT_EQ(List1Lines(), (std::vector<std::wstring>{L"本地文件", L"网页"}));
  HWND list1 = Control("List1");
  RECT line{};
  SendMessageW(list1, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&line));
  quorvel::testing::Click(list1, {line.left + 5, (line.top + line.bottom) / 2});
  // The guard turns the file: address away: nothing starts, the user is told.
  EXPECT_TRUE(IsWindowVisible(Control("Notice")));
  SetFocus(list1);
  quorvel::testing::PressKey(list1, VK_DOWN, &TranslateDialogKeys);
  EXPECT_FALSE(IsWindowVisible(Control("Notice")));
  // ShellExecuteW hands it to Wine's winebrowser, which hands it to xdg-open.
  const std::u16string opened_log = Environment("QUORVEL_OPENED_LOG");
  ASSERT_TRUE(PumpUntil([&] { return !LinuxFile(opened_log).empty(); }));
  EXPECT_EQ(LinuxFile(opened_log), "http://127.0.0.1:9/x\n");
}

TEST_F(EndToEnd, AFailedLoadOfEachKindKeepsTheWindowAsItWas) {
  Open();
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

TEST_F(EndToEnd, ThePagesAreAskedForAndStartUpWaitsForNone) {
  // The pages from a port that takes the browsers' requests and never
  // answers: the window is up with page 1 all the same.
  SilentListener pages;
  Open(pages.Host());
  EXPECT_TRUE(IsWindowVisible(window_->hwnd()));
  EXPECT_EQ(Rows(), 111);
  EXPECT_TRUE(PumpUntil([&] { return pages.Asked(); }));
  window_.reset();

  // From the service, each page is asked for: the tip page, the notice page
  // and the partner's home page.
  Open();
  const std::u16string log = Environment("QUORVEL_SERVICE_LOG");
  auto asked = [&](const char* target) {
    return LinuxFile(log).find(std::string("GET ") + target + " ") != std::string::npos;
  };
  EXPECT_TRUE(PumpUntil([&] {
    return asked("/tishi1.8.html") && asked("/gonggao.html") && asked("/");
  })) << LinuxFile(log);
}

}  // namespace
}  // namespace quorvel::shell
