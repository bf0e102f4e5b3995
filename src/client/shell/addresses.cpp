#include "client/shell/addresses.h"

#include "client/catalogue/listing_service.h"
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

ShellAddresses AddressesForOrigins(const QString& listing_origin, const QString& site_origin,
                                   const QString& partner_origin) {
  ShellAddresses a;
  a.listing_base =
      listing_origin + catalogue::ToQString(protocol::kUtf16<protocol::kListingFolder>);
  a.tip_page = site_origin + QStringLiteral("/tishi1.8.html");
  a.notice_page = site_origin + QStringLiteral("/gonggao.html");
  a.partner_page = partner_origin;
  a.product_site = listing_origin + QStringLiteral("/");
  a.maker_site = site_origin + QStringLiteral("/");
  a.forum_site = site_origin + QStringLiteral("/bbs/");
  return a;
}

ShellAddresses AddressesForHosts(const QString& listing_host, const QString& site_host,
                                 const QString& partner_host) {
  const QString http = QStringLiteral("http://");
  return AddressesForOrigins(http + listing_host, http + site_host, http + partner_host);
}

ShellAddresses BuiltInAddresses() {
  return AddressesForOrigins(QStringLiteral(QUORVEL_LISTING_ORIGIN),
                             QStringLiteral(QUORVEL_SITE_ORIGIN),
                             QStringLiteral(QUORVEL_PARTNER_ORIGIN));
}

}  // namespace quorvel::shell
