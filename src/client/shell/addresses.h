#pragma once

#include <QString>

namespace quorvel::shell {

// Every address the client knows of.  The hosts and their schemes (http by
// default, https where the build says so) are fixed when the program is
// built; nothing about them is read at run time.
struct ShellAddresses {
  QString listing_base;  // the listing service, ending in "/adminphp/"
  QString tip_page;      // shown out of sight in the main window
  QString notice_page;   // the strip along the notice window's bottom
  QString partner_page;  // the partner's home page in the notice window
  QString product_site;  // named in the About box
  QString maker_site;
  QString forum_site;
};

// The addresses for a listing service, a maker's site and a partner site,
// each given as its origin, "http://host[:port]" or "https://host[:port]".
ShellAddresses AddressesForOrigins(const QString& listing_origin, const QString& site_origin,
                                   const QString& partner_origin);

// The same, each given as host[:port] and reached over plain http.
ShellAddresses AddressesForHosts(const QString& listing_host, const QString& site_host,
                                 const QString& partner_host);

// The addresses this build was made for.
ShellAddresses BuiltInAddresses();

}  // namespace quorvel::shell
