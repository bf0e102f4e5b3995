#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::catalogue {

// An http or https address in the parts WinHTTP asks for.
struct WebAddress {
  bool secure = false;
  std::u16string host;  // as WinHTTP wants it: an IPv6 address without brackets
  std::uint16_t port = 0;
  std::u16string path_and_query;  // never empty: "/" at the least; no fragment
};

// nullopt unless `address` is an absolute http or https address with a host.
std::optional<WebAddress> ParseWebAddress(std::u16string_view address);

// Where a redirect's Location leads from `from`: absolute, scheme-relative,
// host-relative ("/x"), query-only ("?x") or path-relative ("x").
std::optional<WebAddress> ResolveRedirect(const WebAddress& from, std::u16string_view location);

}  // namespace quorvel::catalogue
