#include "encoding/utf8_decoder.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvel::encoding {
namespace {

std::string Bytes(std::initializer_list<unsigned> values) {
  std::string s;
  for (unsigned v : values) s.push_back(static_cast<char>(v));
  return s;
}

struct DecodeCase {
  const char* name;
  std::string bytes;
  std::u16string text;
};

class DecodeTable : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTable, DecodesAsExpected) {
  EXPECT_EQ(Utf8ToUnicode(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, DecodeTable,
    ::testing::Values(
        DecodeCase{"Empty", "", u""}, DecodeCase{"Ascii", "abc", u"abc"},
        DecodeCase{"ThreeByte", Bytes({0xE4, 0xB8, 0xAD}), u"\u4E2D"},
        DecodeCase{"BomKept", Bytes({0xEF, 0xBB, 0xBF, 0x61}), u"\uFEFFa"},
        DecodeCase{"ZeroByteKept", Bytes({0x61, 0x00, 0x62}), std::u16string(u"a\0b", 3)},
        DecodeCase{"TruncatedAtEnd", Bytes({0x61, 0xC3}), u"a\uFFFD"},
        DecodeCase{"FourByteToPair", Bytes({0xF0, 0x9F, 0x98, 0x80}), u"\xD83D\xDE00"},
        DecodeCase{"TwoByte", Bytes({0xC3, 0xA9}), u"\u00E9"},
        // One U+FFFD per maximal subpart of an ill-formed sequence.
        DecodeCase{"TruncatedThree", Bytes({0xE4, 0xB8, 0x41}), u"\uFFFDA"},
        DecodeCase{"TruncatedFour", Bytes({0xF0, 0x9F, 0x98, 0x41}), u"\uFFFDA"},
        DecodeCase{"LoneContinuations", Bytes({0x80, 0xBF}), u"\uFFFD\uFFFD"},
        DecodeCase{"OverlongTwo", Bytes({0xC0, 0xAF}), u"\uFFFD\uFFFD"},
        DecodeCase{"OverlongThree", Bytes({0xE0, 0x80, 0xAF}), u"\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"EncodedSurrogate", Bytes({0xED, 0xA0, 0x80}), u"\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"AboveMax", Bytes({0xF4, 0x90, 0x80, 0x80}), u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"F5Lead", Bytes({0xF5, 0x41}), u"\uFFFDA"},
        DecodeCase{"LargestScalar", Bytes({0xF4, 0x8F, 0xBF, 0xBF}), u"\xDBFF\xDFFF"},
        DecodeCase{"Separators", Bytes({0x61, 0x02, 0x62, 0x01, 0x3F}),
                   u"a\x0002"
                   u"b\x0001?"}),
    [](const auto& info) { return std::string(info.param.name); });

// The vector path and the byte path meet at every offset of a 16-byte block.
TEST(Utf8ToUnicode, MultibyteAtEveryBlockOffset) {
  for (std::size_t prefix = 0; prefix < 40; ++prefix) {
    const std::string bytes =
        std::string(prefix, 'x') + Bytes({0xE4, 0xB8, 0xAD}) + std::string(20, 'y') + Bytes({0xC3});
    std::u16string expected =
        std::u16string(prefix, u'x') + u"\u4E2D" + std::u16string(20, u'y') + u"\uFFFD";
    EXPECT_EQ(Utf8ToUnicode(bytes), expected) << prefix;
  }
}

}  // namespace
}  // namespace quorvel::encoding
