#include "client/catalogue/win32/winhttp_transfer.h"

#include <windows.h>

#include <chrono>
#include <memory>
#include <system_error>
#include <thread>

#include "client/catalogue/busy_flag.h"
#include "client/catalogue/transfer_failure.h"
#include "client/catalogue/win32/busy_wait.h"
#include "client/catalogue/win32/web_address.h"
#include "client/catalogue/win32/winhttp_fetch.h"

namespace quorvel::catalogue {
namespace {

using Kind = TransferFault::Kind;
using Clock = std::chrono::steady_clock;

// What the fetch's thread and the waiting caller share; the thread may
// outlive the call when the caller stops waiting.
struct Fetch {
  Fetch() : done(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Fetch() {
    if (done != nullptr) CloseHandle(done);
  }
  Fetch(const Fetch&) = delete;
  Fetch& operator=(const Fetch&) = delete;

  HANDLE done;
  TransferResult result;
};

// The fetch keeps its own clocks; this much later the caller stops waiting
// for a thread that WinHTTP keeps past them.
constexpr std::chrono::seconds kGrace{10};

}  // namespace

WinHttpTransfer::WinHttpTransfer() : WinHttpTransfer(TransferLimits{}) {}

WinHttpTransfer::WinHttpTransfer(TransferLimits limits) : limits_(limits) {}

TransferResult WinHttpTransfer::OpenURL(std::u16string_view address) {
  if (busy_) return FailedTransfer({Kind::kBusy});
  std::u16string text(address);
  if (!ParseWebAddress(text)) return FailedTransfer({Kind::kBadAddress, 0, text});
  BusyFlag busy(busy_);
  auto fetch = std::make_shared<Fetch>();
  if (fetch->done == nullptr) return FailedTransfer({Kind::kCannotStart});
  const Clock::time_point deadline = Clock::now() + limits_.total;
  try {
    std::thread([fetch, text, limits = limits_, deadline] {
      FetchWithWinHttp(text, limits, deadline, [&fetch](TransferResult result) {
        fetch->result = std::move(result);
        SetEvent(fetch->done);
      });
    }).detach();
  } catch (const std::system_error&) {
    return FailedTransfer({Kind::kCannotStart});
  }
  switch (WaitKeepingWindowsAlive(fetch->done, deadline + kGrace)) {
    case BusyWaitEnd::kDone:
      return std::move(fetch->result);
    case BusyWaitEnd::kPastLimit:
      return FailedTransfer({Kind::kTimedOut, 0, {}, limits_.total.count()});
    case BusyWaitEnd::kQuit:
      break;
  }
  return FailedTransfer({Kind::kQuitting});
}

}  // namespace quorvel::catalogue
