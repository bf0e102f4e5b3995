#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "client/catalogue/components.h"
#include "client/catalogue/transfer_limits.h"

namespace quorvel::catalogue {

// One whole fetch on WinHTTP, redirects included, blocking its thread: meant
// for a thread of its own (see WinHttpTransfer).  Every way it can go wrong
// comes back as a failure with the core's sentence: refused, cut short,
// stalled (no byte for limits.stall), too slow in all (past `deadline`), an
// error status, too many redirects or one from https to http, too large.
// Proxies are the system's (WinHTTP's automatic proxy where Windows has it,
// its own settings otherwise); certificates are checked against the system's
// store.  Compressed replies are asked for only where WinHTTP unpacks them.
// The result goes to `deliver` as soon as it is known, before the fetch's
// connections are closed: closing may take long (Wine reads what is left of a
// body first), and the caller need not wait for it.
void FetchWithWinHttp(const std::u16string& address, const TransferLimits& limits,
                      std::chrono::steady_clock::time_point deadline,
                      const std::function<void(TransferResult)>& deliver);

}  // namespace quorvel::catalogue
