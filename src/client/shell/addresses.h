#pragma once

#include <string>
#include <string_view>

namespace quorvel::shell {

// Every address the client knows of.  The hosts and their schemes (http by
// default, https where the build says so) are fixed when the program is
// built; nothing about them is read at run time.
struct ShellAddresses {
  std::u16string listing_base;  // the listing service, ending in "/adminphp/"
  std::u16string tip_page;      // shown out of sight in the main window
  std::u16string notice_page;   // the strip along the notice window's bottom
  std::u16string partner_page;  // the partner's home page in the notice window
  std::u16string product_site;  // named in the About box
  std::u16string maker_site;
  std::u16string forum_site;
};

// The addresses for a listing service, a maker's site and a partner site,
// each given as its origin, "http://host[:port]" or "https://host[:port]".
ShellAddresses AddressesForOrigins(std::u16string_view listing_origin,
                                   std::u16string_view site_origin,
                                   std::u16string_view partner_origin);

// The same, each given as host[:port] and reached over plain http.
ShellAddresses AddressesForHosts(std::u16string_view listing_host, std::u16string_view site_host,
                                 std::u16string_view partner_host);

// The addresses this build was made for.
ShellAddresses BuiltInAddresses();

}  // namespace quorvel::shell
