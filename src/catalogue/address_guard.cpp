#include "catalogue/address_guard.h"

#include <array>
#include <string_view>

namespace quorvel::catalogue {
namespace {

constexpr std::array<std::u16string_view, 6> kOpenableSchemes = {u"http",   u"https", u"ftp",
                                                                 u"magnet", u"ed2k",  u"thunder"};
constexpr qsizetype kShownAddressLength = 120;

bool IsAsciiLetter(char16_t u) { return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z'); }

bool IsSchemeChar(char16_t u) {
  return IsAsciiLetter(u) || (u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || u == u'.';
}

bool IsOpenableScheme(QStringView scheme) {
  for (const std::u16string_view allowed : kOpenableSchemes) {
    if (scheme.compare(QStringView(allowed.data(), static_cast<qsizetype>(allowed.size())),
                       Qt::CaseInsensitive) == 0) {
      return true;
    }
  }
  return false;
}

QString Shown(QStringView address) {
  if (address.size() <= kShownAddressLength) return address.toString();
  return address.first(kShownAddressLength).toString() + QStringLiteral("…");
}

AddressCheck Refused(QString reason) { return {false, std::move(reason)}; }

}  // namespace

AddressCheck CheckOpenableAddress(QStringView address) {
  if (address.isEmpty()) return Refused(QStringLiteral("这个下载项没有地址，无法打开。"));
  for (const QChar c : address) {
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x7F) {
      return Refused(QStringLiteral("地址中含有控制字符，出于安全考虑不予打开。"));
    }
  }
  const QString refused_tail =
      QStringLiteral("”，只打开 http、https、ftp、magnet、ed2k 和 thunder 地址。");
  if (address.front() == u'-') {
    return Refused(QStringLiteral("出于安全考虑不打开以“-”开头的地址“") + Shown(address) +
                   refused_tail);
  }
  qsizetype colon = 0;
  while (colon < address.size() && IsSchemeChar(address[colon].unicode())) ++colon;
  const bool has_scheme = colon > 0 && colon < address.size() && address[colon] == u':' &&
                          IsAsciiLetter(address[0].unicode());
  if (!has_scheme || !IsOpenableScheme(address.first(colon))) {
    return Refused(QStringLiteral("出于安全考虑不打开地址“") + Shown(address) + refused_tail);
  }
  return {true, QString()};
}

}  // namespace quorvel::catalogue
