#include "client/catalogue/transfer_failure.h"

#include <cstddef>
#include <cstdio>
#include <iterator>

#include "client/catalogue/text16.h"

namespace quorvel::catalogue {
namespace {

using Failure = TransferResult::Failure;
using Kind = TransferFault::Kind;

// What takes the place of a sentence's %1.
enum class Fill { kNothing, kDetail, kStatus, kCount, kBytes, kSeconds };
using enum Fill;
using enum TransferResult::Failure;

struct Wording {
  Kind kind;
  Failure failure;
  Fill fill;
  const char16_t* sentence;
};

// One row a kind, in the order of the kinds: its class of failure, what fills
// the %1, and the sentence.
constexpr Wording kWordings[] = {
    {Kind::kNotReady, kOther, kNothing, u"程序还没有准备好联网。"},
    {Kind::kBusy, kOther, kNothing, u"上一个请求还没有结束。"},
    {Kind::kBadAddress, kOther, kDetail, u"请求地址无效：%1"},
    {Kind::kCannotStart, kOther, kNothing, u"程序无法开始联网。"},
    {Kind::kRefused, kRefused, kNothing, u"服务器拒绝了连接。"},
    {Kind::kCannotConnect, kOther, kNothing, u"无法连接到服务器。"},
    {Kind::kHostNotFound, kOther, kDetail, u"找不到服务器“%1”。"},
    {Kind::kProxyNotFound, kOther, kNothing, u"找不到设置的代理服务器。"},
    {Kind::kNoEncryption, kOther, kNothing, u"无法与服务器建立加密连接。"},
    {Kind::kCaFileUnreadable, kOther, kNothing, u"受信任证书的文件无法读取。"},
    {Kind::kCertificateName, kOther, kDetail, u"服务器的证书不属于“%1”，连接已中止。"},
    {Kind::kCertificateOutOfDate, kOther, kNothing, u"服务器的证书不在有效期内，连接已中止。"},
    {Kind::kCertificateUntrusted, kOther, kNothing,
     u"服务器的证书不是受信任的机构签发的，连接已中止。"},
    {Kind::kHttpStatus, kHttpStatus, kStatus, u"服务器回答了错误 %1。"},
    {Kind::kUnusableStatus, kOther, kStatus, u"服务器的回答无法使用（状态 %1）。"},
    {Kind::kRedirectNotFollowable, kOther, kNothing, u"服务器转向了不能跟随的地址。"},
    {Kind::kTooManyRedirects, kTooManyRedirects, kCount, u"服务器转向超过了 %1 次。"},
    {Kind::kHeadTooLong, kOther, kNothing, u"服务器的回答头部过长。"},
    {Kind::kBadLength, kOther, kNothing, u"服务器给出的回复长度无效。"},
    {Kind::kNotHttp, kOther, kNothing, u"服务器的回答不是 HTTP。"},
    {Kind::kMalformed, kOther, kNothing, u"服务器的回复格式有误。"},
    {Kind::kBadCompression, kOther, kNothing, u"服务器回复的压缩数据有误。"},
    {Kind::kDroppedBeforeAnswer, kOther, kNothing, u"服务器没有回答就断开了连接。"},
    {Kind::kClosedBeforeAnswer, kOther, kNothing, u"服务器没有回答就关闭了连接。"},
    {Kind::kCutShort, kTruncated, kNothing, u"连接在回复传完之前断开了。"},
    {Kind::kTooLarge, kTooLarge, kBytes, u"回复超过了 %1 的上限。"},
    {Kind::kStalled, kStalled, kSeconds, u"服务器 %1 秒没有任何回应。"},
    {Kind::kTimedOut, kTimedOut, kSeconds, u"回复在 %1 秒内没有收完。"},
    {Kind::kQuitting, kOther, kNothing, u"程序正在退出，请求已取消。"},
    {Kind::kOutOfMemory, kOther, kNothing, u"内存不足，请求已取消。"},
    {Kind::kNetwork, kOther, kDetail, u"网络错误：%1"},
};

constexpr bool InKindOrder() {
  for (std::size_t i = 0; i < std::size(kWordings); ++i) {
    if (kWordings[i].kind != static_cast<Kind>(i)) return false;
  }
  return std::size(kWordings) == static_cast<std::size_t>(Kind::kNetwork) + 1;
}
static_assert(InKindOrder(), "one wording per kind, in the order of the kinds");

std::u16string Seconds(std::int64_t ms) {
  if (ms % 1000 == 0) return Decimal(ms / 1000);
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", static_cast<double>(ms) / 1000.0);
  return FromAscii(text);
}

std::u16string Size(std::int64_t bytes) {
  if (bytes % (1 << 20) == 0) return Decimal(bytes >> 20) + u" MiB";
  if (bytes % (1 << 10) == 0) return Decimal(bytes >> 10) + u" KiB";
  return Decimal(bytes) + u" 字节";
}

std::u16string Sentence(const Wording& wording, const TransferFault& fault) {
  const std::u16string_view sentence = wording.sentence;
  switch (wording.fill) {
    case kNothing:
      return std::u16string(sentence);
    case kDetail:
      return FillIn(sentence, fault.detail);
    case kStatus:
      return FillIn(sentence, Decimal(fault.http_status));
    case kCount:
      return FillIn(sentence, Decimal(fault.limit));
    case kBytes:
      return FillIn(sentence, Size(fault.limit));
    case kSeconds:
      return FillIn(sentence, Seconds(fault.limit));
  }
  return std::u16string(sentence);
}

}  // namespace

TransferResult FailedTransfer(const TransferFault& fault) {
  const Wording& wording = kWordings[static_cast<std::size_t>(fault.kind)];
  TransferResult result;
  result.failure = wording.failure;
  result.reason = Sentence(wording, fault);
  result.http_status = fault.http_status;
  return result;
}

}  // namespace quorvel::catalogue
