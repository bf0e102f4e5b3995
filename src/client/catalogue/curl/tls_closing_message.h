#pragma once

#include <curl/curl.h>

namespace quorvel::catalogue {

// libcurl takes a TLS connection that ends without the closing message as a
// proper end, so a body that runs until the close could come back whole when
// an attacker or a dropped line cut it short.  This asks the TLS library to
// set `*seen` when the peer's closing message arrives on `easy`'s
// connections; `seen` must outlive the transfer.  False where libcurl's TLS
// is not OpenSSL: nothing can then tell a proper end from a cut.
bool WatchForTlsClosingMessage(CURL* easy, bool* seen);

}  // namespace quorvel::catalogue
