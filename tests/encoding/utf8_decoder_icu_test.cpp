// The decoder against ICU's, the reference for how many U+FFFD an ill-formed
// run becomes; Linux only, as no ICU is built for the Windows test programs.
#include <gtest/gtest.h>
#include <unicode/ustring.h>

#include <random>
#include <string>
#include <vector>

#include "encoding/utf8_decoder.h"

namespace quorvel::encoding {
namespace {

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
