#include "catalogue/transfer_failure.h"

namespace quorvel::catalogue {
namespace {

using Failure = TransferResult::Failure;
using Kind = TransferFault::Kind;

QString Seconds(std::int64_t ms) {
  if (ms % 1000 == 0) return QString::number(ms / 1000);
  return QString::number(static_cast<double>(ms) / 1000.0, 'g', 3);
}

QString Size(std::int64_t bytes) {
  if (bytes % (1 << 20) == 0) return QStringLiteral("%1 MiB").arg(bytes >> 20);
  if (bytes % (1 << 10) == 0) return QStringLiteral("%1 KiB").arg(bytes >> 10);
  return QStringLiteral("%1 字节").arg(bytes);
}

Failure ClassOf(Kind kind) {
  switch (kind) {
    case Kind::kRefused:
      return Failure::kRefused;
    case Kind::kCutShort:
      return Failure::kTruncated;
    case Kind::kStalled:
      return Failure::kStalled;
    case Kind::kTimedOut:
      return Failure::kTimedOut;
    case Kind::kHttpStatus:
      return Failure::kHttpStatus;
    case Kind::kTooManyRedirects:
      return Failure::kTooManyRedirects;
    case Kind::kTooLarge:
      return Failure::kTooLarge;
    default:
      return Failure::kOther;
  }
}

QString Sentence(const TransferFault& fault) {
  switch (fault.kind) {
    case Kind::kNotReady:
      return QStringLiteral("程序还没有准备好联网。");
    case Kind::kBusy:
      return QStringLiteral("上一个请求还没有结束。");
    case Kind::kBadAddress:
      return QStringLiteral("请求地址无效：") + fault.detail;
    case Kind::kCannotStart:
      return QStringLiteral("程序无法开始联网。");
    case Kind::kRefused:
      return QStringLiteral("服务器拒绝了连接。");
    case Kind::kCannotConnect:
      return QStringLiteral("无法连接到服务器。");
    case Kind::kHostNotFound:
      return QStringLiteral("找不到服务器“%1”。").arg(fault.detail);
    case Kind::kProxyNotFound:
      return QStringLiteral("找不到设置的代理服务器。");
    case Kind::kNoEncryption:
      return QStringLiteral("无法与服务器建立加密连接。");
    case Kind::kCaFileUnreadable:
      return QStringLiteral("受信任证书的文件无法读取。");
    case Kind::kCertificateName:
      return QStringLiteral("服务器的证书不属于“%1”，连接已中止。").arg(fault.detail);
    case Kind::kCertificateOutOfDate:
      return QStringLiteral("服务器的证书不在有效期内，连接已中止。");
    case Kind::kCertificateUntrusted:
      return QStringLiteral("服务器的证书不是受信任的机构签发的，连接已中止。");
    case Kind::kHttpStatus:
      return QStringLiteral("服务器回答了错误 %1。").arg(fault.http_status);
    case Kind::kUnusableStatus:
      return QStringLiteral("服务器的回答无法使用（状态 %1）。").arg(fault.http_status);
    case Kind::kRedirectNotFollowable:
      return QStringLiteral("服务器转向了不能跟随的地址。");
    case Kind::kTooManyRedirects:
      return QStringLiteral("服务器转向超过了 %1 次。").arg(fault.limit);
    case Kind::kHeadTooLong:
      return QStringLiteral("服务器的回答头部过长。");
    case Kind::kBadLength:
      return QStringLiteral("服务器给出的回复长度无效。");
    case Kind::kNotHttp:
      return QStringLiteral("服务器的回答不是 HTTP。");
    case Kind::kMalformed:
      return QStringLiteral("服务器的回复格式有误。");
    case Kind::kBadCompression:
      return QStringLiteral("服务器回复的压缩数据有误。");
    case Kind::kDroppedBeforeAnswer:
      return QStringLiteral("服务器没有回答就断开了连接。");
    case Kind::kClosedBeforeAnswer:
      return QStringLiteral("服务器没有回答就关闭了连接。");
    case Kind::kCutShort:
      return QStringLiteral("连接在回复传完之前断开了。");
    case Kind::kTooLarge:
      return QStringLiteral("回复超过了 %1 的上限。").arg(Size(fault.limit));
    case Kind::kStalled:
      return QStringLiteral("服务器 %1 秒没有任何回应。").arg(Seconds(fault.limit));
    case Kind::kTimedOut:
      return QStringLiteral("回复在 %1 秒内没有收完。").arg(Seconds(fault.limit));
    case Kind::kQuitting:
      return QStringLiteral("程序正在退出，请求已取消。");
    case Kind::kOutOfMemory:
      return QStringLiteral("内存不足，请求已取消。");
    case Kind::kNetwork:
      break;
  }
  return QStringLiteral("网络错误：") + fault.detail;
}

}  // namespace

TransferResult FailedTransfer(const TransferFault& fault) {
  TransferResult result;
  result.failure = ClassOf(fault.kind);
  result.reason = Sentence(fault);
  result.http_status = fault.http_status;
  return result;
}

}  // namespace quorvel::catalogue
