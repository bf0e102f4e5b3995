#include "encoding/utf8_decoder.h"

#include <gtest/gtest.h>
#include <unicode/ustring.h>

#include <random>
#include <string>
#include <vector>

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

std::u16string IcuDecode(const std::string& bytes) {
  std::u16string out(bytes.size() + 1, u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                       &length, bytes.data(), static_cast<int32_t>(bytes.size()), 0xFFFD, nullptr,
                       &status);
  EXPECT_FALSE(U_FAILURE(status));
  out.resize(static_cast<std::size_t>(length));
  return out;
}

// Random byte soups weighted towards lead and continuation bytes exercise
// every boundary between well-formed and ill-formed runs; ICU is the reference.
TEST(Utf8ToUnicode, AgreesWithIcuOnRandomInput) {
  std::mt19937 rng(20261207);
  const std::vector<unsigned> interesting = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0,
                                             0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xED,
                                             0xEE, 0xEF, 0xF0, 0xF1, 0xF4, 0xF5, 0xFF};
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    const int length = static_cast<int>(rng() % 40);
    for (int i = 0; i < length; ++i) {
      bytes.push_back(static_cast<char>(rng() % 3 == 0 ? rng() % 256
                                                       : interesting[rng() % interesting.size()]));
    }
    ASSERT_EQ(Utf8ToUnicode(bytes), IcuDecode(bytes)) << "round " << round;
  }
}

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

// Runs of Chinese text take the block path; one damaged byte at any place in
// the run must give what a byte-at-a-time decoder gives.
TEST(Utf8ToUnicode, DamagedChineseRunsAgreeWithIcu) {
  std::string run;
  for (int i = 0; i < 12; ++i) run += "\xE7\xA9\xBF";
  run += "ab";
  const std::vector<unsigned> damage = {0x41, 0x80, 0xBF, 0xC2, 0xE0, 0xED, 0xF0, 0xFF};
  for (std::size_t at = 0; at < run.size(); ++at) {
    for (unsigned byte : damage) {
      std::string bytes = run;
      bytes[at] = static_cast<char>(byte);
      ASSERT_EQ(Utf8ToUnicode(bytes), IcuDecode(bytes)) << at << " " << byte;
    }
  }
  // Overlong and surrogate forms shaped like ordinary three-byte characters.
  for (const char* odd : {"\xE0\x80\x80", "\xED\xA0\x80", "\xE0\x9F\xBF", "\xED\xBF\xBF"}) {
    for (std::size_t at = 0; at <= 12; at += 3) {
      std::string bytes = run;
      bytes.replace(at, 3, odd);
      ASSERT_EQ(Utf8ToUnicode(bytes), IcuDecode(bytes)) << at;
    }
  }
}

}  // namespace
}  // namespace quorvel::encoding
