#include "catalogue/address_guard.h"

#include <gtest/gtest.h>

namespace quorvel::catalogue {
namespace {

struct GuardCase {
  const char16_t* address;
  bool allowed;
};

class CheckOpenableAddressTest : public ::testing::TestWithParam<GuardCase> {};

TEST_P(CheckOpenableAddressTest, OnlyKnownDownloadSchemes) {
  const AddressCheck check = CheckOpenableAddress(QString::fromUtf16(GetParam().address));
  EXPECT_EQ(check.allowed, GetParam().allowed);
  // A refusal always says why; an allowed address needs no words.
  EXPECT_EQ(check.reason.isEmpty(), GetParam().allowed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckOpenableAddressTest,
    ::testing::Values(
        GuardCase{u"http://example.com/a.zip", true}, GuardCase{u"https://example.com/", true},
        GuardCase{u"HTTPS://EXAMPLE.COM/", true}, GuardCase{u"ftp://files.example/x", true},
        GuardCase{u"magnet:?xt=urn:btih:abc", true}, GuardCase{u"ed2k://|file|a.exe|1|ABC|/", true},
        GuardCase{u"thunder://QUFodHRwOi8vYS5iL2MuZXhlWlo=", true},
        GuardCase{u"http://例子.测试/外挂.rar", true}, GuardCase{u"file:///etc/passwd", false},
        GuardCase{u"/usr/bin/xterm", false}, GuardCase{u"C:\\Windows\\system32\\cmd.exe", false},
        GuardCase{u"javascript:alert(1)", false}, GuardCase{u"data:text/html,<b>x</b>", false},
        GuardCase{u"smb://host/share", false}, GuardCase{u"unknown:thing", false},
        GuardCase{u"--help", false}, GuardCase{u"-http://x", false}, GuardCase{u"", false},
        GuardCase{u"www.example.com", false}, GuardCase{u"http", false},
        GuardCase{u":http://x", false}, GuardCase{u"ht tp://x", false},
        GuardCase{u"http://x\ny", false}, GuardCase{u"https://x\u007F", false},
        GuardCase{u" http://x", false}, GuardCase{u"httpx://x", false},
        GuardCase{u"1http://x", false}));

}  // namespace
}  // namespace quorvel::catalogue
