#include "shell/addresses.h"

#include "catalogue/listing_service.h"
#include "protocol/wire_format.h"

#ifndef QUORVEL_LISTING_HOST
#error "the build names the listing service's host in QUORVEL_LISTING_HOST"
#endif
#ifndef QUORVEL_SITE_HOST
#error "the build names the maker's site host in QUORVEL_SITE_HOST"
#endif
#ifndef QUORVEL_PARTNER_HOST
#error "the build names the partner's host in QUORVEL_PARTNER_HOST"
#endif

namespace quorvel::shell {

ShellAddresses AddressesForHosts(const QString& listing_host, const QString& site_host,
                                 const QString& partner_host) {
  const QString site = QStringLiteral("http://") + site_host;
  ShellAddresses a;
  a.listing_base = QStringLiteral("http://") + listing_host +
                   catalogue::ToQString(protocol::kUtf16<protocol::kListingFolder>);
  a.tip_page = site + QStringLiteral("/tishi1.8.html");
  a.notice_page = site + QStringLiteral("/gonggao.html");
  a.partner_page = QStringLiteral("http://") + partner_host;
  a.product_site = QStringLiteral("http://") + listing_host + QStringLiteral("/");
  a.maker_site = site + QStringLiteral("/");
  a.forum_site = site + QStringLiteral("/bbs/");
  return a;
}

ShellAddresses BuiltInAddresses() {
  return AddressesForHosts(QStringLiteral(QUORVEL_LISTING_HOST), QStringLiteral(QUORVEL_SITE_HOST),
                           QStringLiteral(QUORVEL_PARTNER_HOST));
}

}  // namespace quorvel::shell
