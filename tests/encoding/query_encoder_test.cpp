#include "encoding/query_encoder.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvel::encoding {
namespace {

struct EncodeCase {
  const char* name;
  std::u16string term;
  std::string encoded;
};

class EncodeTable : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeTable, EncodesAsExpected) { EXPECT_EQ(GBtoUTF8(GetParam().term), GetParam().encoded); }

INSTANTIATE_TEST_SUITE_P(
    Terms, EncodeTable,
    ::testing::Values(EncodeCase{"Empty", u"", ""}, EncodeCase{"Letters", u"ab", "ab"},
                      EncodeCase{"Unreserved", u"AZaz09-._~", "AZaz09-._~"},
                      EncodeCase{"Chinese", u"\u4E2D\u6587", "%E4%B8%AD%E6%96%87"},
                      EncodeCase{"TwoByteLow", u"\u00E9", "%C3%A9"},
                      EncodeCase{"MiddleDot", u"\u00B7", "%C2%B7"},
                      EncodeCase{"TwoByteHigh", u"\u07FF", "%DF%BF"},
                      EncodeCase{"ThreeByteLow", u"\u0800", "%E0%A0%80"},
                      EncodeCase{"ThreeByteHigh", u"\uFFFF", "%EF%BF%BF"},
                      EncodeCase{"SurrogatePair", u"\xD83D\xDE00", "%F0%9F%98%80"},
                      EncodeCase{"LoneHigh",
                                 u"a\xD83D"
                                 u"b",
                                 "a%EF%BF%BDb"},
                      EncodeCase{"LoneLowFirst", u"\xDE00\xD83D", "%EF%BF%BD%EF%BF%BD"},
                      EncodeCase{"Mixed", u"a\u4E2D", "a%E4%B8%AD"},
                      // Reserved and unsafe ASCII can neither break the request line nor add keys.
                      EncodeCase{"Space", u"a b", "a%20b"},
                      EncodeCase{"CPlusPlus", u"C++", "C%2B%2B"},
                      EncodeCase{"Injection", u"a&page=9", "a%26page%3D9"},
                      EncodeCase{"Fragment", u"#%?/", "%23%25%3F%2F"},
                      EncodeCase{"Controls", std::u16string(u"\0\x7F\r\n", 4), "%00%7F%0D%0A"},
                      EncodeCase{"Category", u"\u7A7F\u8D8A\u706B\u7EBF",
                                 "%E7%A9%BF%E8%B6%8A%E7%81%AB%E7%BA%BF"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvel::encoding
