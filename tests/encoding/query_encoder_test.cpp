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

// Unreserved ASCII as it is, any other code point as its UTF-8 bytes, a lone
// surrogate as U+FFFD.
const EncodeCase kUtf8[] = {
    {"Empty", u"", ""},
    {"Letters", u"ab", "ab"},
    {"Unreserved", u"AZaz09-._~", "AZaz09-._~"},
    {"Chinese", u"\u4E2D\u6587", "%E4%B8%AD%E6%96%87"},
    {"TwoByteLow", u"\u00E9", "%C3%A9"},
    {"MiddleDot", u"\u00B7", "%C2%B7"},
    {"TwoByteHigh", u"\u07FF", "%DF%BF"},
    {"ThreeByteLow", u"\u0800", "%E0%A0%80"},
    {"ThreeByteHigh", u"\uFFFF", "%EF%BF%BF"},
    {"SurrogatePair", u"\xD83D\xDE00", "%F0%9F%98%80"},
    {"LoneHigh", std::u16string{u'a', 0xD83D, u'b'}, "a%EF%BF%BDb"},
    {"LoneLowFirst", u"\xDE00\xD83D", "%EF%BF%BD%EF%BF%BD"},
    {"Mixed", u"a\u4E2D", "a%E4%B8%AD"},
    {"Category", u"\u7A7F\u8D8A\u706B\u7EBF", "%E7%A9%BF%E8%B6%8A%E7%81%AB%E7%BA%BF"},
};

// Reserved and unsafe ASCII can neither break the request line nor add keys.
const EncodeCase kReservedAscii[] = {
    {"Space", u"a b", "a%20b"},
    {"CPlusPlus", u"C++", "C%2B%2B"},
    {"Injection", u"a&page=9", "a%26page%3D9"},
    {"Fragment", u"#%?/", "%23%25%3F%2F"},
    {"Controls", std::u16string(u"\0\x7F\r\n", 4), "%00%7F%0D%0A"},
};

std::string CaseName(const ::testing::TestParamInfo<EncodeCase>& info) { return info.param.name; }
INSTANTIATE_TEST_SUITE_P(Utf8, EncodeTable, ::testing::ValuesIn(kUtf8), CaseName);
INSTANTIATE_TEST_SUITE_P(ReservedAscii, EncodeTable, ::testing::ValuesIn(kReservedAscii), CaseName);

}  // namespace
}  // namespace quorvel::encoding
