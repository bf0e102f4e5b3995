#include "client/catalogue/win32/web_address.h"

namespace quorvel::catalogue {
namespace {

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool SameLetters(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool HasScheme(std::u16string_view text) {
  if (text.empty() || !IsAsciiLetter(text[0])) return false;
  for (const char16_t c : text) {
    if (c == u':') return true;
    if (!IsAsciiLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.') {
      return false;
    }
  }
  return false;
}

std::u16string Origin(const WebAddress& address) {
  const bool ipv6 = address.host.find(u':') != std::u16string::npos;
  const std::string port = std::to_string(address.port);
  return std::u16string(address.secure ? u"https://" : u"http://") + (ipv6 ? u"[" : u"") +
         address.host + (ipv6 ? u"]:" : u":") + std::u16string(port.begin(), port.end());
}

}  // namespace

std::optional<WebAddress> ParseWebAddress(std::u16string_view address) {
  // Parsed here rather than by WinHttpCrackUrl, which differs between Windows
  // and Wine on a query right after the port, fragments and IPv6 hosts.
  const std::size_t colon = address.find(u"://");
  if (colon == std::u16string_view::npos) return std::nullopt;
  WebAddress result;
  const std::u16string_view scheme = address.substr(0, colon);
  if (SameLetters(scheme, u"https")) {
    result.secure = true;
  } else if (!SameLetters(scheme, u"http")) {
    return std::nullopt;
  }
  std::u16string_view rest = address.substr(colon + 3);
  if (const std::size_t hash = rest.find(u'#'); hash != std::u16string_view::npos) {
    rest = rest.substr(0, hash);
  }
  const std::size_t authority_end = rest.find_first_of(u"/?");
  const std::u16string_view authority = rest.substr(0, authority_end);
  const std::u16string_view path_and_query =
      authority_end == std::u16string_view::npos ? std::u16string_view() : rest.substr(authority_end);
  // A user name before the host is refused: "http://good@evil/" goes to evil.
  if (authority.find(u'@') != std::u16string_view::npos) return std::nullopt;
  std::u16string_view host = authority;
  std::u16string_view port;
  if (host.starts_with(u"[")) {
    const std::size_t close = host.find(u']');
    if (close == std::u16string_view::npos) return std::nullopt;
    const std::u16string_view after = host.substr(close + 1);
    if (!after.empty() && !after.starts_with(u":")) return std::nullopt;
    if (!after.empty()) port = after.substr(1);
    host = host.substr(1, close - 1);
  } else if (const std::size_t at = host.rfind(u':'); at != std::u16string_view::npos) {
    port = host.substr(at + 1);
    host = host.substr(0, at);
  }
  if (host.empty()) return std::nullopt;
  result.host = std::u16string(host);
  result.port = result.secure ? 443 : 80;
  if (!port.empty()) {
    if (port.size() > 5) return std::nullopt;
    int number = 0;
    for (const char16_t c : port) {
      if (c < u'0' || c > u'9') return std::nullopt;
      number = number * 10 + (c - u'0');
    }
    if (number == 0 || number > 65535) return std::nullopt;
    result.port = static_cast<std::uint16_t>(number);
  }
  result.path_and_query = path_and_query.starts_with(u"/") ? std::u16string(path_and_query)
                                                           : u"/" + std::u16string(path_and_query);
  return result;
}

std::optional<WebAddress> ResolveRedirect(const WebAddress& from, std::u16string_view location) {
  if (HasScheme(location)) return ParseWebAddress(location);
  if (location.starts_with(u"//")) {
    return ParseWebAddress(std::u16string(from.secure ? u"https:" : u"http:") +
                           std::u16string(location));
  }
  const std::u16string origin = Origin(from);
  if (location.starts_with(u"/")) return ParseWebAddress(origin + std::u16string(location));
  const std::u16string path = from.path_and_query.substr(0, from.path_and_query.find(u'?'));
  if (location.starts_with(u"?")) return ParseWebAddress(origin + path + std::u16string(location));
  return ParseWebAddress(origin + path.substr(0, path.rfind(u'/') + 1) + std::u16string(location));
}

}  // namespace quorvel::catalogue
