// Temporary: the core's failure sentences and address guard in standard C++
// (see provisional_core.h); goes when the core lands.

#include "client/catalogue/win32/provisional_core.h"

#include <array>
#include <cstddef>
#include <initializer_list>
#include <iterator>

namespace quorvel::catalogue {
namespace {

using Failure = TransferResult::Failure;
using Kind = TransferFault::Kind;
enum class Fill { kNothing, kDetail, kStatus, kCount, kBytes, kSeconds };
using enum Fill;
using enum TransferResult::Failure;

struct Wording {
  Kind kind;
  Failure failure;
  Fill fill;
  const char16_t* sentence;
};

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

std::u16string Number(std::int64_t n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string Seconds(std::int64_t ms) {
  if (ms % 1000 == 0) return Number(ms / 1000);
  std::u16string text = Number(ms / 1000) + u"." + Number(ms % 1000 / 100);
  if (ms % 100 != 0) text += Number(ms % 100 / 10);
  return text;
}

std::u16string Size(std::int64_t bytes) {
  if (bytes % (1 << 20) == 0) return Number(bytes >> 20) + u" MiB";
  if (bytes % (1 << 10) == 0) return Number(bytes >> 10) + u" KiB";
  return Number(bytes) + u" 字节";
}

std::u16string Fill1(std::u16string sentence, const std::u16string& value) {
  const std::size_t at = sentence.find(u"%1");
  if (at != std::u16string::npos) sentence.replace(at, 2, value);
  return sentence;
}

std::u16string Sentence(const Wording& wording, const TransferFault& fault) {
  switch (wording.fill) {
    case kNothing:
      return wording.sentence;
    case kDetail:
      return Fill1(wording.sentence, fault.detail);
    case kStatus:
      return Fill1(wording.sentence, Number(fault.http_status));
    case kCount:
      return Fill1(wording.sentence, Number(fault.limit));
    case kBytes:
      return Fill1(wording.sentence, Size(fault.limit));
    case kSeconds:
      return Fill1(wording.sentence, Seconds(fault.limit));
  }
  return wording.sentence;
}

constexpr std::array<std::u16string_view, 6> kOpenableSchemes = {u"http",   u"https", u"ftp",
                                                                 u"magnet", u"ed2k",  u"thunder"};
constexpr std::size_t kShownAddressLength = 120;
constexpr std::size_t kMaxAddressLength = 32768;

bool IsAsciiLetter(char16_t u) { return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z'); }
bool IsSchemeChar(char16_t u) {
  return IsAsciiLetter(u) || (u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || u == u'.';
}
char16_t Lower(char16_t u) { return u >= u'A' && u <= u'Z' ? static_cast<char16_t>(u + 32) : u; }
bool SameLetters(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}
bool IsOneOf(std::u16string_view scheme, std::initializer_list<std::u16string_view> names) {
  for (const std::u16string_view name : names) {
    if (SameLetters(scheme, name)) return true;
  }
  return false;
}
std::u16string Shown(std::u16string_view address) {
  if (address.size() <= kShownAddressLength) return std::u16string(address);
  return std::u16string(address.substr(0, kShownAddressLength)) + u"…";
}
bool IsControl(char16_t u) { return u < 0x20 || (u >= 0x7F && u <= 0x9F); }
bool HasUnpairedSurrogate(std::u16string_view address) {
  for (std::size_t i = 0; i < address.size(); ++i) {
    const char16_t c = address[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 < address.size() && address[i + 1] >= 0xDC00 && address[i + 1] <= 0xDFFF) {
        ++i;
        continue;
      }
      return true;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) return true;
  }
  return false;
}
bool HasSomethingToOpen(std::u16string_view scheme, std::u16string_view rest) {
  if (IsOneOf(scheme, {u"magnet"})) return !rest.empty();
  if (!rest.starts_with(u"//")) return false;
  const std::u16string_view after = rest.substr(2);
  if (IsOneOf(scheme, {u"ed2k", u"thunder"})) return !after.empty();
  return !after.empty() && after.front() != u'/' && after.front() != u'?' && after.front() != u'#';
}
AddressCheck Refused(std::u16string reason) { return {false, std::move(reason)}; }

}  // namespace

TransferResult FailedTransfer(const TransferFault& fault) {
  const Wording& wording = kWordings[static_cast<std::size_t>(fault.kind)];
  TransferResult result;
  result.failure = wording.failure;
  result.reason = Sentence(wording, fault);
  result.http_status = fault.http_status;
  return result;
}

AddressCheck CheckOpenableAddress(std::u16string_view address) {
  if (address.empty()) return Refused(u"这个下载项没有地址，无法打开。");
  if (address.size() > kMaxAddressLength) {
    return Refused(u"地址长达 " + Number(static_cast<std::int64_t>(address.size())) +
                   u" 个字符，超过了 " + Number(kMaxAddressLength) + u" 的上限，不予打开。");
  }
  for (const char16_t c : address) {
    if (IsControl(c)) return Refused(u"地址中含有控制字符，出于安全考虑不予打开。");
  }
  if (HasUnpairedSurrogate(address)) return Refused(u"地址中含有无效的字符，无法原样打开。");
  const std::u16string tail = u"”，只打开 http、https、ftp、magnet、ed2k 和 thunder 地址。";
  if (address.front() == u'-') {
    return Refused(u"出于安全考虑不打开以“-”开头的地址“" + Shown(address) + tail);
  }
  std::size_t colon = 0;
  while (colon < address.size() && IsSchemeChar(address[colon])) ++colon;
  const bool has_scheme = colon > 0 && colon < address.size() && address[colon] == u':' &&
                          IsAsciiLetter(address[0]);
  bool openable = false;
  if (has_scheme) {
    for (const std::u16string_view scheme : kOpenableSchemes) {
      openable = openable || SameLetters(address.substr(0, colon), scheme);
    }
  }
  if (!openable) return Refused(u"出于安全考虑不打开地址“" + Shown(address) + tail);
  if (!HasSomethingToOpen(address.substr(0, colon), address.substr(colon + 1))) {
    return Refused(u"地址“" + Shown(address) + u"”不完整，没有可以打开的内容。");
  }
  return {true, {}};
}

}  // namespace quorvel::catalogue
