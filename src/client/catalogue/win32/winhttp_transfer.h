#pragma once

#include "client/catalogue/components.h"
#include "client/catalogue/transfer_limits.h"

namespace quorvel::catalogue {

// OpenURL on WinHTTP.  The fetch (FetchWithWinHttp) runs on a thread of its
// own; the call blocks its caller, but the caller's windows keep painting
// meanwhile, the user's input is dropped and the wait cursor shows (see
// WaitKeepingWindowsAlive).  One fetch at a time: a call made from a message
// handled during a fetch fails as busy.
class WinHttpTransfer : public Transfer {
 public:
  WinHttpTransfer();
  explicit WinHttpTransfer(TransferLimits limits);

  TransferResult OpenURL(std::u16string_view address) override;

  const TransferLimits& limits() const { return limits_; }

 private:
  TransferLimits limits_;
  bool busy_ = false;
};

}  // namespace quorvel::catalogue
