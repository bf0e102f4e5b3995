#include "client/catalogue/reply_text.h"

#include <gtest/gtest.h>

namespace quorvel::catalogue {
namespace {

using namespace std::string_view_literals;

TEST(DecodeReplyTest, DecodesWholeReplyIntoOneString) {
  EXPECT_TRUE(DecodeReply("").empty());
  EXPECT_EQ(DecodeReply("abc"), u"abc");
  EXPECT_EQ(DecodeReply("\xE4\xB8\xAD"), u"\x4E2D");
  EXPECT_EQ(DecodeReply("\xEF\xBB\xBF"
                        "a"),
            u"\xFEFF"
            u"a");
  EXPECT_EQ(DecodeReply("a\0b"sv), u"a\0b"sv);
  EXPECT_EQ(DecodeReply("a\xC3"), u"a\xFFFD");
  EXPECT_EQ(DecodeReply("\xF0\x9F\x98\x80"), u"\xD83D\xDE00");
}

TEST(DecodeReplyTest, BufferIsSizedFromTheByteCount) {
  const std::string chinese = "\xE7\xA9\xBF\xE8\xB6\x8A\xE7\x81\xAB\xE7\xBA\xBF";
  const std::u16string text = DecodeReply(chinese);
  EXPECT_EQ(text, u"穿越火线");
  EXPECT_GE(text.capacity(), chinese.size());
}

// The buffer kept between loads grows to the largest reply and is written
// anew by each: the text is the view.
TEST(ReplyTextTest, EachDecodeIsTheWholeNewReply) {
  ReplyText text;
  EXPECT_EQ(text.Decode("abcdef"), u"abcdef");
  EXPECT_EQ(text.Decode("\xE4\xB8\xAD"), u"\x4E2D");
  EXPECT_EQ(text.capacity(), 6u);
  EXPECT_TRUE(text.Decode("").empty());
  text.Release();
  EXPECT_EQ(text.capacity(), 0u);
  EXPECT_EQ(text.Decode("a\xC3"), u"a\xFFFD");
}

}  // namespace
}  // namespace quorvel::catalogue
