// The service's side of the wire format: the request it reads and the reply it writes.
#include <gtest/gtest.h>

#include <string>

#include "protocol/listing_query_parser.h"
#include "protocol/listing_reply_writer.h"
#include "protocol/percent_decoding.h"

namespace quorvel::protocol {
namespace {

struct DecodeCase {
  std::string input;
  std::optional<std::string> expected;
};

class PercentDecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(PercentDecodeTest, DecodesOrRefuses) {
  EXPECT_EQ(PercentDecode(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PercentDecodeTest,
    ::testing::Values(DecodeCase{"", ""}, DecodeCase{"abc", "abc"}, DecodeCase{"a+b", "a b"},
                      DecodeCase{"a%20b", "a b"}, DecodeCase{"C%2B%2B", "C++"},
                      DecodeCase{"%e7%A9%BF", "\xE7\xA9\xBF"},
                      DecodeCase{"%00", std::string(1, '\0')}, DecodeCase{"100%25", "100%"},
                      DecodeCase{"%", std::nullopt}, DecodeCase{"%2", std::nullopt},
                      DecodeCase{"ab%", std::nullopt}, DecodeCase{"%ZZ", std::nullopt},
                      DecodeCase{"%2G", std::nullopt}, DecodeCase{"%%41", std::nullopt}));

struct Utf8Case {
  std::string bytes;
  bool valid;
};

class Utf8ValidityTest : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ValidityTest, JudgesWellFormedness) {
  EXPECT_EQ(IsValidUtf8(GetParam().bytes), GetParam().valid) << GetParam().bytes;
}

INSTANTIATE_TEST_SUITE_P(Cases, Utf8ValidityTest,
                         ::testing::Values(Utf8Case{"", true}, Utf8Case{"plain", true},
                                           Utf8Case{"\xE7\xA9\xBF\xE8\xB6\x8A", true},
                                           Utf8Case{"\xC3\xA9", true},
                                           Utf8Case{"\xF0\x9F\x98\x80", true},
                                           Utf8Case{"\xF4\x8F\xBF\xBF", true},
                                           Utf8Case{"\xE7\xA9", false},  // cut short
                                           Utf8Case{"\xFF", false}, Utf8Case{"\x80", false},
                                           Utf8Case{"\xC0\xAF", false},          // overlong "/"
                                           Utf8Case{"\xE0\x80\xAF", false},      // overlong
                                           Utf8Case{"\xED\xA0\x80", false},      // surrogate
                                           Utf8Case{"\xF4\x90\x80\x80", false},  // above U+10FFFF
                                           Utf8Case{"\xE7\x41\xBF", false}));    // bad continuation

struct QueryCase {
  std::string raw;
  bool accepted;
  std::int32_t page;
  std::string term;
};

class ListingQueryTest : public ::testing::TestWithParam<QueryCase> {};

TEST_P(ListingQueryTest, ParsesOrGivesAReason) {
  const QueryCase& c = GetParam();
  const auto parsed = ParseListingQuery(c.raw);
  if (!c.accepted) {
    ASSERT_TRUE(std::holds_alternative<QueryError>(parsed)) << c.raw;
    const std::string& reason = std::get<QueryError>(parsed).reason;
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(reason.find('\n'), std::string::npos);
    return;
  }
  ASSERT_TRUE(std::holds_alternative<ListingQuery>(parsed))
      << c.raw << ": " << std::get<QueryError>(parsed).reason;
  EXPECT_EQ(std::get<ListingQuery>(parsed).page, c.page);
  EXPECT_EQ(std::get<ListingQuery>(parsed).term, c.term);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListingQueryTest,
    ::testing::Values(
        QueryCase{"page=1", true, 1, ""}, QueryCase{"page=17", true, 17, ""},
        QueryCase{"page=007", true, 7, ""}, QueryCase{"page=2147483647", true, 2147483647, ""},
        QueryCase{"page=1&q=", true, 1, ""}, QueryCase{"q=abc&page=3", true, 3, "abc"},
        QueryCase{"page=1&q=%E7%A9%BF%E8%B6%8A%E7%81%AB%E7%BA%BF", true, 1, "穿越火线"},
        QueryCase{"page=1&q=a+b%20c", true, 1, "a b c"},
        QueryCase{"page=1&q=C%2B%2B", true, 1, "C++"},
        QueryCase{"page=1&q=%27%20OR%201%3D1%20--", true, 1, "' OR 1=1 --"},
        QueryCase{"page=1&&other=x&q=y", true, 1, "y"}, QueryCase{"", false, 0, ""},
        QueryCase{"q=abc", false, 0, ""}, QueryCase{"page=", false, 0, ""},
        QueryCase{"page", false, 0, ""}, QueryCase{"page=0", false, 0, ""},
        QueryCase{"page=-1", false, 0, ""}, QueryCase{"page=+1", false, 0, ""},
        QueryCase{"page=1.5", false, 0, ""}, QueryCase{"page=%201", false, 0, ""},
        QueryCase{"page=2147483648", false, 0, ""},
        QueryCase{"page=99999999999999999999999", false, 0, ""},
        QueryCase{"page=1&page=2", false, 0, ""}, QueryCase{"page=1&q=a&q=b", false, 0, ""},
        QueryCase{"page=1&q=%ZZ", false, 0, ""}, QueryCase{"page=1&q=%E7%A9", false, 0, ""},
        QueryCase{"page=1&q=%C0%AF", false, 0, ""}, QueryCase{"page=1&q=%00", false, 0, ""},
        QueryCase{"page=1&q=a%0Ab", false, 0, ""}, QueryCase{"page=1&x=%", false, 0, ""}));

TEST(ListingQueryTest, RefusesTermsLongerThanTheLimit) {
  const std::string longest(kMaxTermBytes, 'a');
  EXPECT_TRUE(std::holds_alternative<ListingQuery>(ParseListingQuery("page=1&q=" + longest)));
  EXPECT_TRUE(std::holds_alternative<QueryError>(ParseListingQuery("page=1&q=" + longest + "a")));
}

struct PageCountCase {
  std::int64_t matches;
  int page_size;
  std::int64_t pages;
};

class PageCountTest : public ::testing::TestWithParam<PageCountCase> {};

TEST_P(PageCountTest, RoundsUp) {
  EXPECT_EQ(PageCount(GetParam().matches, GetParam().page_size), GetParam().pages);
}

INSTANTIATE_TEST_SUITE_P(Cases, PageCountTest,
                         ::testing::Values(PageCountCase{0, 20, 0}, PageCountCase{1, 20, 1},
                                           PageCountCase{19, 20, 1}, PageCountCase{20, 20, 1},
                                           PageCountCase{21, 20, 2}, PageCountCase{40, 20, 2},
                                           PageCountCase{41, 20, 3}, PageCountCase{330, 20, 17},
                                           PageCountCase{330, 7, 48}, PageCountCase{5, 1, 5},
                                           PageCountCase{100000, 20, 5000}));

TEST(FirstIndexOfPageTest, CountsPagesFromOneWithoutOverflow) {
  EXPECT_EQ(FirstIndexOfPage(1, 20), 0);
  EXPECT_EQ(FirstIndexOfPage(2, 20), 20);
  EXPECT_EQ(FirstIndexOfPage(2147483647, 1000), 2147483646LL * 1000);
}

struct LinksCase {
  std::string stored;
  std::string served;
};

class ResolveDownloadLinksTest : public ::testing::TestWithParam<LinksCase> {};

TEST_P(ResolveDownloadLinksTest, PrefixesOnlyServicePaths) {
  EXPECT_EQ(ResolveDownloadLinks(GetParam().stored, "http://127.0.0.1:8731"), GetParam().served);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResolveDownloadLinksTest,
    ::testing::Values(
        LinksCase{"", ""},
        LinksCase{"本地下载/*//download/5/**/", "本地下载/*/http://127.0.0.1:8731/download/5/**/"},
        LinksCase{"a/*//download/5/**/b/*//download/5?mirror=2/**/",
                  "a/*/http://127.0.0.1:8731/download/5/**/"
                  "b/*/http://127.0.0.1:8731/download/5?mirror=2/**/"},
        LinksCase{"a/*/http://else/x/**/", "a/*/http://else/x/**/"},
        LinksCase{"a/*///cdn/x/**/", "a/*///cdn/x/**/"},  // protocol-relative: not ours
        LinksCase{"no separator/**/", "no separator/**/"},
        LinksCase{"a/*//x", "a/*/http://127.0.0.1:8731/x"},  // unterminated last link
        LinksCase{"a/*/rel/**/", "a/*/rel/**/"}));

}  // namespace
}  // namespace quorvel::protocol
