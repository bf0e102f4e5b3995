#include "client/catalogue/address_guard.h"

#include <gtest/gtest.h>

#include <string_view>

#include "encoding/utf8_encoder.h"

namespace quorvel::catalogue {
namespace {

using namespace std::string_view_literals;

struct GuardCase {
  // A view, so that cases may hold U+0000 and lone surrogates.
  std::u16string_view address;
  bool allowed;
};

void PrintTo(const GuardCase& c, std::ostream* os) {
  *os << '"' << encoding::Utf16ToUtf8(c.address) << "\" (" << c.address.size() << " units) "
      << (c.allowed ? "allowed" : "refused");
}

class CheckOpenableAddressTest : public ::testing::TestWithParam<GuardCase> {};

TEST_P(CheckOpenableAddressTest, OnlyKnownDownloadSchemes) {
  const AddressCheck check = CheckOpenableAddress(GetParam().address);
  EXPECT_EQ(check.allowed, GetParam().allowed);
  // A refusal always says why; an allowed address needs no words.
  EXPECT_EQ(check.reason.empty(), GetParam().allowed);
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

// Addresses a hostile listing might send, and the near misses that must
// still open.
INSTANTIATE_TEST_SUITE_P(
    Hostile, CheckOpenableAddressTest,
    ::testing::Values(
        // Letter case and the smallest complete addresses.
        GuardCase{u"HTTP://X", true}, GuardCase{u"hTtP://x/", true}, GuardCase{u"ftp://h", true},
        GuardCase{u"magnet:x", true}, GuardCase{u"thunder://x", true},
        GuardCase{u"http://user@host/", true}, GuardCase{u"http://x/a b", true},
        // A scheme with nothing, or nothing that names a host, to open.
        GuardCase{u"http:", false}, GuardCase{u"HTTPS:", false}, GuardCase{u"ftp:", false},
        GuardCase{u"http://", false}, GuardCase{u"http:///etc/passwd", false},
        GuardCase{u"http:/x", false}, GuardCase{u"http:x", false}, GuardCase{u"http:\\\\x", false},
        GuardCase{u"http://?q=1", false}, GuardCase{u"http://#top", false},
        GuardCase{u"magnet:", false}, GuardCase{u"thunder:", false},
        GuardCase{u"thunder://", false}, GuardCase{u"ed2k:", false}, GuardCase{u"ed2k://", false},
        // Blanks and options in front.
        GuardCase{u"  http://x", false}, GuardCase{u"\thttp://x", false}, GuardCase{u"-h", false},
        GuardCase{u"-", false},
        // Schemes a handler would run, show or read from disk.
        GuardCase{u"JavaScript:alert(1)", false}, GuardCase{u"vbscript:msgbox(1)", false},
        GuardCase{u"data:text/html,<script>alert(1)</script>", false},
        GuardCase{u"FILE:///etc/passwd", false}, GuardCase{u"about:blank", false},
        GuardCase{u"view-source:http://x", false}, GuardCase{u"jar:http://x!/", false},
        GuardCase{u"mailto:a@b.test", false},
        // Paths.
        GuardCase{u"/bin/sh", false}, GuardCase{u"~/x", false}, GuardCase{u"./run", false},
        GuardCase{u"..\\x", false},
        // NUL, line breaks and terminal escapes anywhere.
        GuardCase{u"http://x\0y"sv, false}, GuardCase{u"\0http://x"sv, false},
        GuardCase{u"http://x/\0"sv, false}, GuardCase{u"http://x\ry", false},
        GuardCase{u"http://x\r\nSet-Cookie: a=b", false}, GuardCase{u"http://x\x85y", false},
        GuardCase{u"http://x\x9B[2J", false}, GuardCase{u"http://x\x1B[2J", false},
        // Text beyond ASCII: fine in the address, not in the scheme; a lone
        // surrogate has no faithful form to hand on.
        GuardCase{u"magnet:?dn=外挂&xt=urn:btih:abc", true},
        GuardCase{u"http://x/\xD83D\xDE00", true}, GuardCase{u"ｈｔｔｐ://x", false},
        GuardCase{u"httpѕ://x", false}, GuardCase{u"http://x/\xD800", false},
        GuardCase{u"http://x/\xDC00y", false}, GuardCase{u"\xFEFFhttp://x", false}));

TEST(CheckOpenableAddressLength, LongAddressesUpToTheLimitOpen) {
  const std::u16string base = u"http://example.com/?";
  EXPECT_TRUE(CheckOpenableAddress(base + std::u16string(32768 - base.size(), u'a')).allowed);
  const AddressCheck over = CheckOpenableAddress(base + std::u16string(32769 - base.size(), u'a'));
  EXPECT_FALSE(over.allowed);
  EXPECT_FALSE(over.reason.empty());
}

TEST(CheckOpenableAddressLength, AMebibyteAddressIsRefusedWithAShortReason) {
  const std::u16string huge = u"http://example.com/" + std::u16string(1 << 20, u'x');
  const AddressCheck check = CheckOpenableAddress(huge);
  EXPECT_FALSE(check.allowed);
  EXPECT_LT(check.reason.size(), 200u);
  // A refused address is quoted, but never at full length.
  const AddressCheck quoted = CheckOpenableAddress(u"javascript:" + std::u16string(30000, u'x'));
  EXPECT_FALSE(quoted.allowed);
  EXPECT_LT(quoted.reason.size(), 300u);
}

}  // namespace
}  // namespace quorvel::catalogue
