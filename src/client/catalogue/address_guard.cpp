#include "client/catalogue/address_guard.h"

#include <array>
#include <initializer_list>
#include <string_view>

#include "client/catalogue/text16.h"

namespace quorvel::catalogue {
namespace {

constexpr std::array<std::u16string_view, 6> kOpenableSchemes = {u"http",   u"https", u"ftp",
                                                                 u"magnet", u"ed2k",  u"thunder"};
constexpr std::size_t kShownAddressLength = 120;
// Far beyond any real download address (a magnet link with many trackers is a
// few thousand characters), and well inside what one program argument may
// hold on Linux (128 KiB).
constexpr std::size_t kMaxAddressLength = 32768;

bool IsAsciiLetter(char16_t u) { return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z'); }

bool IsSchemeChar(char16_t u) {
  return IsAsciiLetter(u) || (u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || u == u'.';
}

bool IsOpenableScheme(std::u16string_view scheme) {
  for (const std::u16string_view allowed : kOpenableSchemes) {
    if (EqualIgnoringAsciiCase(scheme, allowed)) return true;
  }
  return false;
}

std::u16string Shown(std::u16string_view address) {
  if (address.size() <= kShownAddressLength) return std::u16string(address);
  return std::u16string(address.substr(0, kShownAddressLength)) + u"…";
}

AddressCheck Refused(std::u16string reason) { return {false, std::move(reason)}; }

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// C0 and C1 control characters and DEL: line breaks, NUL and terminal escapes.
bool IsControl(char16_t u) { return u < 0x20 || (u >= 0x7F && u <= 0x9F); }

// A surrogate without its partner has no form in UTF-8: the system would be
// handed some other address than the one listed.
bool HasUnpairedSurrogate(std::u16string_view address) {
  for (std::size_t i = 0; i < address.size(); ++i) {
    const char16_t c = address[i];
    if (IsHighSurrogate(c)) {
      if (i + 1 < address.size() && IsLowSurrogate(address[i + 1])) {
        ++i;
        continue;
      }
      return true;
    }
    if (IsLowSurrogate(c)) return true;
  }
  return false;
}

bool IsOneOf(std::u16string_view scheme, std::initializer_list<std::u16string_view> names) {
  for (const std::u16string_view name : names) {
    if (EqualIgnoringAsciiCase(scheme, name)) return true;
  }
  return false;
}

// What follows "scheme:" must name something: a host after "//" for the web
// and file-transfer schemes, anything after "//" for ed2k and thunder, and
// anything at all for magnet.
bool HasSomethingToOpen(std::u16string_view scheme, std::u16string_view rest) {
  if (IsOneOf(scheme, {u"magnet"})) return !rest.empty();
  if (!rest.starts_with(u"//")) return false;
  const std::u16string_view after_slashes = rest.substr(2);
  if (IsOneOf(scheme, {u"ed2k", u"thunder"})) return !after_slashes.empty();
  return !after_slashes.empty() && after_slashes.front() != u'/' && after_slashes.front() != u'?' &&
         after_slashes.front() != u'#';
}

}  // namespace

AddressCheck CheckOpenableAddress(std::u16string_view address) {
  if (address.empty()) return Refused(u"这个下载项没有地址，无法打开。");
  if (address.size() > kMaxAddressLength) {
    return Refused(u"地址长达 " + Decimal(static_cast<std::int64_t>(address.size())) +
                   u" 个字符，超过了 " + Decimal(kMaxAddressLength) + u" 的上限，不予打开。");
  }
  for (const char16_t c : address) {
    if (IsControl(c)) return Refused(u"地址中含有控制字符，出于安全考虑不予打开。");
  }
  if (HasUnpairedSurrogate(address)) return Refused(u"地址中含有无效的字符，无法原样打开。");
  constexpr std::u16string_view kRefusedTail =
      u"”，只打开 http、https、ftp、magnet、ed2k 和 thunder 地址。";
  if (address.front() == u'-') {
    return Refused(u"出于安全考虑不打开以“-”开头的地址“" + Shown(address) +
                   std::u16string(kRefusedTail));
  }
  std::size_t colon = 0;
  while (colon < address.size() && IsSchemeChar(address[colon])) ++colon;
  const bool has_scheme =
      colon > 0 && colon < address.size() && address[colon] == u':' && IsAsciiLetter(address[0]);
  if (!has_scheme || !IsOpenableScheme(address.substr(0, colon))) {
    return Refused(u"出于安全考虑不打开地址“" + Shown(address) + std::u16string(kRefusedTail));
  }
  if (!HasSomethingToOpen(address.substr(0, colon), address.substr(colon + 1))) {
    return Refused(u"地址“" + Shown(address) + u"”不完整，没有可以打开的内容。");
  }
  return {true, {}};
}

}  // namespace quorvel::catalogue
