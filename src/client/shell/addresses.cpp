#include "client/shell/addresses.h"

#include "client/catalogue/text16.h"
#include "protocol/site_pages.h"
#include "protocol/wire_format.h"

#ifndef QUORVEL_LISTING_ORIGIN
#error "the build names the listing service's origin in QUORVEL_LISTING_ORIGIN"
#endif
#ifndef QUORVEL_SITE_ORIGIN
#error "the build names the maker's site origin in QUORVEL_SITE_ORIGIN"
#endif
#ifndef QUORVEL_PARTNER_ORIGIN
#error "the build names the partner's origin in QUORVEL_PARTNER_ORIGIN"
#endif

namespace quorvel::shell {
namespace {

std::u16string Join(std::u16string_view origin, std::u16string_view path) {
  std::u16string address(origin);
  address.append(path);
  return address;
}

}  // namespace

ShellAddresses AddressesForOrigins(std::u16string_view listing_origin,
                                   std::u16string_view site_origin,
                                   std::u16string_view partner_origin) {
  ShellAddresses a;
  a.listing_base = Join(listing_origin, protocol::kUtf16<protocol::kListingFolder>);
  a.tip_page = Join(site_origin, protocol::kUtf16<protocol::kTipPagePath>);
  a.notice_page = Join(site_origin, protocol::kUtf16<protocol::kNoticePagePath>);
  a.partner_page = std::u16string(partner_origin);
  a.product_site = Join(listing_origin, u"/");
  a.maker_site = Join(site_origin, u"/");
  a.forum_site = Join(site_origin, u"/bbs/");
  return a;
}

ShellAddresses AddressesForHosts(std::u16string_view listing_host, std::u16string_view site_host,
                                 std::u16string_view partner_host) {
  constexpr std::u16string_view kHttp = u"http://";
  return AddressesForOrigins(Join(kHttp, listing_host), Join(kHttp, site_host),
                             Join(kHttp, partner_host));
}

ShellAddresses BuiltInAddresses() {
  // The build checks that each origin is ASCII: a scheme, a host and a port.
  return AddressesForOrigins(catalogue::FromAscii(QUORVEL_LISTING_ORIGIN),
                             catalogue::FromAscii(QUORVEL_SITE_ORIGIN),
                             catalogue::FromAscii(QUORVEL_PARTNER_ORIGIN));
}

}  // namespace quorvel::shell
