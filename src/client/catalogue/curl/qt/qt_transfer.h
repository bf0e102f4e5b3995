#pragma once

#include <string_view>

#include "client/catalogue/components.h"
#include "client/catalogue/transfer_limits.h"

namespace quorvel::catalogue {

// OpenURL on libcurl, run from the caller's event loop (see CurlExchange).
// The call blocks its caller but runs a local event loop, so the windows keep
// painting; meanwhile a busy cursor shows and the user's input is dropped.
// The whole decoded body is collected before the call returns, and every way
// a fetch can go wrong comes back as a failure: refused, cut short, stalled,
// too slow in all, an error status, too many redirects or one from https to
// plain http, too large on the wire or once decoded.  Proxies come from the
// environment as libcurl reads it (http_proxy, https_proxy, no_proxy).
class QtTransfer : public Transfer {
 public:
  using Limits = TransferLimits;

  QtTransfer();
  explicit QtTransfer(Limits limits);

  TransferResult OpenURL(std::u16string_view address) override;

  const Limits& limits() const { return limits_; }

 private:
  Limits limits_;
  bool busy_ = false;
};

}  // namespace quorvel::catalogue
