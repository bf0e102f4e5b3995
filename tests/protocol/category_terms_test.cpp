// The UTF-16 form of the category terms, made at compile time, against the
// client's own reply decoder run on their UTF-8 form.
#include <gtest/gtest.h>

#include "encoding/utf8_decoder.h"
#include "protocol/category_terms.h"

namespace quorvel::protocol {
namespace {

// Sequences of every length, the four-byte one as a surrogate pair.
constexpr std::array<std::string_view, 3> kLengths = {"a", "\xC3\xA9\xE4\xB8\xAD",
                                                      "\xF0\x9F\x98\x80"};
static_assert(kUtf16Forms<kLengths>[0] == u"a");
static_assert(kUtf16Forms<kLengths>[1] == u"\u00E9\u4E2D");
static_assert(kUtf16Forms<kLengths>[2] == u"\U0001F600");

TEST(CategoryTermsTest, Utf16FormIsTheDecodedUtf8) {
  for (std::size_t i = 0; i < kCategoryTerms.size(); ++i) {
    EXPECT_EQ(kCategoryTermsUtf16[i], encoding::Utf8ToUnicode(kCategoryTerms[i])) << i;
  }
}

}  // namespace
}  // namespace quorvel::protocol
