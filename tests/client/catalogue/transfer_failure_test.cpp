#include "client/catalogue/transfer_failure.h"

#include <gtest/gtest.h>

#include "encoding/utf8_encoder.h"

namespace quorvel::catalogue {
namespace {

using Failure = TransferResult::Failure;
using Kind = TransferFault::Kind;

struct SentenceCase {
  TransferFault fault;
  Failure failure;
  const char16_t* sentence;
};

// Every sentence the user can read for a failed fetch, to the letter.
TEST(TransferFailureTest, EachFaultHasItsClassAndSentence) {
  const SentenceCase cases[] = {
      {{Kind::kNotReady}, Failure::kOther, u"程序还没有准备好联网。"},
      {{Kind::kBusy}, Failure::kOther, u"上一个请求还没有结束。"},
      {{Kind::kBadAddress, 0, u"ftp://x/"}, Failure::kOther, u"请求地址无效：ftp://x/"},
      {{Kind::kCannotStart}, Failure::kOther, u"程序无法开始联网。"},
      {{Kind::kRefused}, Failure::kRefused, u"服务器拒绝了连接。"},
      {{Kind::kCannotConnect}, Failure::kOther, u"无法连接到服务器。"},
      {{Kind::kHostNotFound, 0, u"a.example"}, Failure::kOther, u"找不到服务器“a.example”。"},
      {{Kind::kProxyNotFound}, Failure::kOther, u"找不到设置的代理服务器。"},
      {{Kind::kNoEncryption}, Failure::kOther, u"无法与服务器建立加密连接。"},
      {{Kind::kCaFileUnreadable}, Failure::kOther, u"受信任证书的文件无法读取。"},
      {{Kind::kCertificateName, 0, u"localhost"},
       Failure::kOther,
       u"服务器的证书不属于“localhost”，连接已中止。"},
      {{Kind::kCertificateOutOfDate}, Failure::kOther, u"服务器的证书不在有效期内，连接已中止。"},
      {{Kind::kCertificateUntrusted},
       Failure::kOther,
       u"服务器的证书不是受信任的机构签发的，连接已中止。"},
      {{Kind::kHttpStatus, 503}, Failure::kHttpStatus, u"服务器回答了错误 503。"},
      {{Kind::kUnusableStatus, 304}, Failure::kOther, u"服务器的回答无法使用（状态 304）。"},
      {{Kind::kRedirectNotFollowable, 302}, Failure::kOther, u"服务器转向了不能跟随的地址。"},
      {{Kind::kTooManyRedirects, 302, {}, 5},
       Failure::kTooManyRedirects,
       u"服务器转向超过了 5 次。"},
      {{Kind::kHeadTooLong}, Failure::kOther, u"服务器的回答头部过长。"},
      {{Kind::kBadLength, 200}, Failure::kOther, u"服务器给出的回复长度无效。"},
      {{Kind::kNotHttp}, Failure::kOther, u"服务器的回答不是 HTTP。"},
      {{Kind::kMalformed, 200}, Failure::kOther, u"服务器的回复格式有误。"},
      {{Kind::kBadCompression, 200}, Failure::kOther, u"服务器回复的压缩数据有误。"},
      {{Kind::kDroppedBeforeAnswer}, Failure::kOther, u"服务器没有回答就断开了连接。"},
      {{Kind::kClosedBeforeAnswer}, Failure::kOther, u"服务器没有回答就关闭了连接。"},
      {{Kind::kCutShort, 200}, Failure::kTruncated, u"连接在回复传完之前断开了。"},
      {{Kind::kTooLarge, 200, {}, 64 << 20}, Failure::kTooLarge, u"回复超过了 64 MiB 的上限。"},
      {{Kind::kTooLarge, 200, {}, 64 << 10}, Failure::kTooLarge, u"回复超过了 64 KiB 的上限。"},
      {{Kind::kTooLarge, 200, {}, 1000}, Failure::kTooLarge, u"回复超过了 1000 字节 的上限。"},
      {{Kind::kStalled, 0, {}, 20000}, Failure::kStalled, u"服务器 20 秒没有任何回应。"},
      {{Kind::kStalled, 0, {}, 400}, Failure::kStalled, u"服务器 0.4 秒没有任何回应。"},
      {{Kind::kTimedOut, 200, {}, 1500}, Failure::kTimedOut, u"回复在 1.5 秒内没有收完。"},
      {{Kind::kQuitting}, Failure::kOther, u"程序正在退出，请求已取消。"},
      {{Kind::kOutOfMemory}, Failure::kOther, u"内存不足，请求已取消。"},
      {{Kind::kNetwork, 0, u"Timeout was reached"},
       Failure::kOther,
       u"网络错误：Timeout was reached"},
  };
  for (const SentenceCase& c : cases) {
    const TransferResult result = FailedTransfer(c.fault);
    const std::u16string expected = c.sentence;
    EXPECT_EQ(result.reason, expected);
    EXPECT_EQ(result.failure, c.failure) << encoding::Utf16ToUtf8(expected);
    EXPECT_EQ(result.http_status, c.fault.http_status) << encoding::Utf16ToUtf8(expected);
    EXPECT_FALSE(result.ok());
  }
}

}  // namespace
}  // namespace quorvel::catalogue
