#include "client/shell/addresses.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/catalogue/text16.h"
#include "client/shell/about_text.h"
#include "text_checks.h"

namespace quorvel::shell {
namespace {

using catalogue::FromAscii;
using quorvel::testing::Contains;

ShellAddresses TestAddresses() { return AddressesForHosts(u"list.test", u"site.test", u"p.test"); }

std::vector<std::u16string> Split(std::u16string_view text, std::u16string_view separator) {
  std::vector<std::u16string> pieces;
  for (std::size_t from = 0;;) {
    const std::size_t at = text.find(separator, from);
    pieces.emplace_back(text.substr(from, at - from));
    if (at == std::u16string_view::npos) return pieces;
    from = at + separator.size();
  }
}

TEST(AboutText, EightLinesJoinedByCarriageReturnAndLineFeed) {
  const std::u16string text = AboutText(TestAddresses());
  const std::vector<std::u16string> lines = Split(text, u"\r\n");
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], u"Quorvel由Brannoc开发,旗下网站");
  EXPECT_EQ(lines[1], u"");
  EXPECT_EQ(lines[2], u"Quorvel官网：http://list.test/");
  EXPECT_EQ(lines[3], u"Brannoc：http://site.test/");
  EXPECT_EQ(lines[4], u"Brannoc论坛：http://site.test/bbs/");
  EXPECT_EQ(lines[5], u"");
  EXPECT_EQ(lines[6], u"您可以通过Quorvel或以上网站进行下载外挂");
  constexpr std::u16string_view kContact = u"如有任何问题可以咨询我：QQ";
  EXPECT_TRUE(lines[7].starts_with(kContact));
  EXPECT_GT(lines[7].size(), kContact.size());
  for (const std::u16string& line : lines) {
    EXPECT_FALSE(Contains(line, u"\n") || Contains(line, u"\r")) << quorvel::testing::Utf8(line);
  }
}

TEST(BuiltInAddresses, FollowTheHostsTheProgramWasBuiltFor) {
  const ShellAddresses a = BuiltInAddresses();
  const std::u16string site = FromAscii(QUORVEL_SITE_ORIGIN);
  EXPECT_EQ(a.listing_base, FromAscii(QUORVEL_LISTING_ORIGIN "/adminphp/"));
  EXPECT_EQ(a.tip_page, site + u"/tishi1.8.html");
  EXPECT_EQ(a.notice_page, site + u"/gonggao.html");
  EXPECT_EQ(a.partner_page, FromAscii(QUORVEL_PARTNER_ORIGIN));
  EXPECT_TRUE(Contains(AboutText(a), site));
}

}  // namespace
}  // namespace quorvel::shell
