#include "client/catalogue/win32/web_address.h"

#include <gtest/gtest.h>

namespace quorvel::catalogue {
namespace {

struct ResolveCase {
  const char* name;
  std::u16string from;
  std::u16string location;
  bool secure;
  std::u16string host;
  int port;
  std::u16string path_and_query;
};

class ResolveRedirectTest : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(ResolveRedirectTest, LeadsWhereABrowserGoes) {
  const ResolveCase& c = GetParam();
  const std::optional<WebAddress> from = ParseWebAddress(c.from);
  ASSERT_TRUE(from);
  const std::optional<WebAddress> to = ResolveRedirect(*from, c.location);
  ASSERT_TRUE(to);
  EXPECT_EQ(to->secure, c.secure);
  EXPECT_EQ(to->host, c.host);
  EXPECT_EQ(to->port, c.port);
  EXPECT_EQ(to->path_and_query, c.path_and_query);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResolveRedirectTest,
    ::testing::Values(
        ResolveCase{"Absolute", u"http://a:81/x/y?q", u"https://b/z", true, u"b", 443, u"/z"},
        ResolveCase{"NoPathAsksForTheRoot", u"http://a/x", u"http://b:82?x=1", false, u"b", 82,
                    u"/?x=1"},
        ResolveCase{"SchemeRelative", u"https://a/x", u"//b/z", true, u"b", 443, u"/z"},
        ResolveCase{"HostRelative", u"http://a:81/x/y?q", u"/z?r", false, u"a", 81, u"/z?r"},
        ResolveCase{"QueryOnly", u"http://a/x/y?q", u"?r", false, u"a", 80, u"/x/y?r"},
        ResolveCase{"PathRelative", u"http://a/x/y?q", u"z", false, u"a", 80, u"/x/z"},
        ResolveCase{"FragmentDropped", u"http://a/", u"/z#part", false, u"a", 80, u"/z"},
        ResolveCase{"Ipv6", u"http://[::1]:81/x", u"/z", false, u"::1", 81, u"/z"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseWebAddress, OnlyHttpAndHttpsWithAHost) {
  for (const char16_t* address : {u"", u"ftp://a/", u"file:///c:/x", u"http://", u"a/b",
                                  u"javascript:alert(1)", u"http://a:0/", u"http://a:65536/",
                                  u"http://a:8x/", u"http://good@evil/", u"http://[::1/"}) {
    EXPECT_FALSE(ParseWebAddress(address));
  }
  EXPECT_TRUE(ParseWebAddress(u"HTTP://a"));
}

}  // namespace
}  // namespace quorvel::catalogue
