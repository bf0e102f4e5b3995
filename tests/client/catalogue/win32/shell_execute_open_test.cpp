// The shell "open" under Wine, whose winebrowser hands web addresses to
// xdg-open: run_wine_test.sh puts a fake one first on PATH that writes down
// what it was given.

#include "client/catalogue/win32/shell_execute_open.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "scenario_server.h"

namespace quorvel::catalogue {
namespace {

std::string Utf8(std::u16string_view text) {
  const std::wstring wide(text.begin(), text.end());
  std::string out(static_cast<std::size_t>(WideCharToMultiByte(
                      CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                      nullptr, nullptr)),
                  '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                      static_cast<int>(out.size()), nullptr, nullptr);
  return out;
}

// What the fake xdg-open wrote down, once it has written something, or
// empty after half a minute.
std::string Opened(const std::u16string& log) {
  std::wstring path = L"Z:";
  for (const char16_t c : log) path += c == u'/' ? L'\\' : static_cast<wchar_t>(c);
  for (int i = 0; i < 300; ++i) {
    std::ifstream file{std::filesystem::path(path)};
    std::stringstream text;
    text << file.rdbuf();
    if (!text.str().empty() && text.str().back() == '\n') return text.str();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return {};
}

TEST(ShellExecuteOpen, RefusedAddressesNeverReachTheShell) {
  ShellExecuteOpen shell;
  std::u16string error;
  EXPECT_FALSE(shell.Open(u"javascript:alert(1)", u"C:\\windows", &error));
  EXPECT_EQ(error.rfind(u"出于安全考虑不打开地址“javascript:alert(1)”", 0), 0u);
  error.clear();
  EXPECT_FALSE(shell.Open(u"", u"C:\\windows", &error));
  EXPECT_EQ(error, u"这个下载项没有地址，无法打开。");
}

TEST(ShellExecuteOpen, HandsTheWholeUnicodeAddressToTheBrowser) {
  const std::u16string log = quorvel::testing::FromEnvironment("QUORVEL_OPENED_LOG");
  if (log.empty()) GTEST_SKIP() << "no fake xdg-open (run_wine_test.sh provides one)";
  const std::u16string address = u"http://127.0.0.1:9/下载/穿越火线.zip?名=值";
  ShellExecuteOpen shell;
  std::u16string error;
  ASSERT_TRUE(shell.Open(address, u"C:\\windows", &error)) << Utf8(error);
  EXPECT_EQ(Opened(log), Utf8(address) + "\n");
}

}  // namespace
}  // namespace quorvel::catalogue
