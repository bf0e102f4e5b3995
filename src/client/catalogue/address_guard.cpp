#include "client/catalogue/address_guard.h"

#include <array>
#include <initializer_list>
#include <string_view>

namespace quorvel::catalogue {
namespace {

constexpr std::array<std::u16string_view, 6> kOpenableSchemes = {u"http",   u"https", u"ftp",
                                                                 u"magnet", u"ed2k",  u"thunder"};
constexpr qsizetype kShownAddressLength = 120;
// Far beyond any real download address (a magnet link with many trackers is a
// few thousand characters), and well inside what one program argument may
// hold on Linux (128 KiB).
constexpr qsizetype kMaxAddressLength = 32768;

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

// C0 and C1 control characters and DEL: line breaks, NUL and terminal escapes.
bool IsControl(char16_t u) { return u < 0x20 || (u >= 0x7F && u <= 0x9F); }

// A surrogate without its partner has no form in UTF-8: the system would be
// handed some other address than the one listed.
bool HasUnpairedSurrogate(QStringView address) {
  for (qsizetype i = 0; i < address.size(); ++i) {
    const QChar c = address[i];
    if (c.isHighSurrogate()) {
      if (i + 1 < address.size() && address[i + 1].isLowSurrogate()) {
        ++i;
        continue;
      }
      return true;
    }
    if (c.isLowSurrogate()) return true;
  }
  return false;
}

bool IsOneOf(QStringView scheme, std::initializer_list<std::u16string_view> names) {
  for (const std::u16string_view name : names) {
    if (scheme.compare(QStringView(name.data(), static_cast<qsizetype>(name.size())),
                       Qt::CaseInsensitive) == 0) {
      return true;
    }
  }
  return false;
}

// What follows "scheme:" must name something: a host after "//" for the web
// and file-transfer schemes, anything after "//" for ed2k and thunder, and
// anything at all for magnet.
bool HasSomethingToOpen(QStringView scheme, QStringView rest) {
  if (IsOneOf(scheme, {u"magnet"})) return !rest.isEmpty();
  if (!rest.startsWith(u"//")) return false;
  const QStringView after_slashes = rest.sliced(2);
  if (IsOneOf(scheme, {u"ed2k", u"thunder"})) return !after_slashes.isEmpty();
  return !after_slashes.isEmpty() && after_slashes.front() != u'/' &&
         after_slashes.front() != u'?' && after_slashes.front() != u'#';
}

}  // namespace

AddressCheck CheckOpenableAddress(QStringView address) {
  if (address.isEmpty()) return Refused(QStringLiteral("这个下载项没有地址，无法打开。"));
  if (address.size() > kMaxAddressLength) {
    return Refused(QStringLiteral("地址长达 %1 个字符，超过了 %2 的上限，不予打开。")
                       .arg(address.size())
                       .arg(kMaxAddressLength));
  }
  for (const QChar c : address) {
    if (IsControl(c.unicode())) {
      return Refused(QStringLiteral("地址中含有控制字符，出于安全考虑不予打开。"));
    }
  }
  if (HasUnpairedSurrogate(address)) {
    return Refused(QStringLiteral("地址中含有无效的字符，无法原样打开。"));
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
  if (!HasSomethingToOpen(address.first(colon), address.sliced(colon + 1))) {
    return Refused(QStringLiteral("地址“") + Shown(address) +
                   QStringLiteral("”不完整，没有可以打开的内容。"));
  }
  return {true, QString()};
}

}  // namespace quorvel::catalogue
