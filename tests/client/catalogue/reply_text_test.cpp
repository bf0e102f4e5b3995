#include "client/catalogue/reply_text.h"

#include <gtest/gtest.h>

namespace quorvel::catalogue {
namespace {

TEST(DecodeReplyTest, DecodesWholeReplyIntoOneString) {
  EXPECT_TRUE(DecodeReply(QByteArray()).isEmpty());
  EXPECT_EQ(DecodeReply(QByteArray("abc")), QStringLiteral("abc"));
  EXPECT_EQ(DecodeReply(QByteArray("\xE4\xB8\xAD")), QString(QChar(0x4E2D)));
  EXPECT_EQ(DecodeReply(QByteArray("\xEF\xBB\xBF"
                                   "a")),
            QString(QChar(0xFEFF)) + "a");
  EXPECT_EQ(DecodeReply(QByteArray("a\0b", 3)), QString("a") + QChar(0) + "b");
  EXPECT_EQ(DecodeReply(QByteArray("a\xC3")), QString("a") + QChar(0xFFFD));
  const QString pair = DecodeReply(QByteArray("\xF0\x9F\x98\x80"));
  ASSERT_EQ(pair.size(), 2);
  EXPECT_EQ(pair[0].unicode(), 0xD83D);
  EXPECT_EQ(pair[1].unicode(), 0xDE00);
}

TEST(DecodeReplyTest, BufferIsSizedFromTheByteCount) {
  const QByteArray chinese = QStringLiteral("穿越火线").toUtf8();
  const QString text = DecodeReply(chinese);
  EXPECT_EQ(text, QStringLiteral("穿越火线"));
  EXPECT_GE(text.capacity(), chinese.size());
}

}  // namespace
}  // namespace quorvel::catalogue
