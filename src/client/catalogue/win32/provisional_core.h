#pragma once

// Temporary: the catalogue core's interfaces in standard C++, as the core is
// about to have them, until the core itself is free of Qt.  The Win32
// adapters build against these; when the core lands, this file and
// provisional_core.cpp go and the adapters include the core's own headers.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace quorvel::catalogue {

struct TransferResult {
  enum class Failure {
    kNone,
    kRefused,
    kTruncated,
    kStalled,
    kTimedOut,
    kHttpStatus,
    kTooManyRedirects,
    kTooLarge,
    kOther,
  };
  Failure failure = Failure::kNone;
  int http_status = 0;
  std::string body;
  std::u16string reason;

  bool ok() const { return failure == Failure::kNone; }
};

class Transfer {
 public:
  virtual ~Transfer() = default;
  virtual TransferResult OpenURL(std::u16string_view address) = 0;
};

class ShellOpen {
 public:
  virtual ~ShellOpen() = default;
  virtual bool Open(std::u16string_view address, std::u16string_view working_directory,
                    std::u16string* error) = 0;
};

// The limits every transfer keeps, on every platform.
struct TransferLimits {
  std::chrono::milliseconds stall{20000};
  std::chrono::milliseconds total{60000};
  int max_redirects = 5;
  std::int64_t max_body_bytes = std::int64_t{64} << 20;
};

struct TransferFault {
  enum class Kind {
    kNotReady,
    kBusy,
    kBadAddress,
    kCannotStart,
    kRefused,
    kCannotConnect,
    kHostNotFound,
    kProxyNotFound,
    kNoEncryption,
    kCaFileUnreadable,
    kCertificateName,
    kCertificateOutOfDate,
    kCertificateUntrusted,
    kHttpStatus,
    kUnusableStatus,
    kRedirectNotFollowable,
    kTooManyRedirects,
    kHeadTooLong,
    kBadLength,
    kNotHttp,
    kMalformed,
    kBadCompression,
    kDroppedBeforeAnswer,
    kClosedBeforeAnswer,
    kCutShort,
    kTooLarge,
    kStalled,
    kTimedOut,
    kQuitting,
    kOutOfMemory,
    kNetwork,
  };

  TransferFault(Kind kind, int http_status = 0, std::u16string detail = {},
                std::int64_t limit = 0)
      : kind(kind), http_status(http_status), detail(std::move(detail)), limit(limit) {}

  Kind kind;
  int http_status;
  std::u16string detail;
  std::int64_t limit;
};

TransferResult FailedTransfer(const TransferFault& fault);

struct AddressCheck {
  bool allowed = false;
  std::u16string reason;
};

AddressCheck CheckOpenableAddress(std::u16string_view address);

}  // namespace quorvel::catalogue
