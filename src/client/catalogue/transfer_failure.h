#pragma once

// What went wrong with a fetch, as the transfer found it, and the one plain
// sentence the user reads for it.  Kept apart from the network code so that
// every sentence can be read and tested without a connection.

#include <cstdint>
#include <string>
#include <utility>

#include "client/catalogue/components.h"

namespace quorvel::catalogue {

struct TransferFault {
  enum class Kind {
    // Before anything is sent.
    kNotReady,     // no application object yet
    kBusy,         // the last fetch has not returned
    kBadAddress,   // detail: the address
    kCannotStart,  // the platform would not give a handle
    // Connecting.
    kRefused,
    kCannotConnect,
    kHostNotFound,  // detail: the host
    kProxyNotFound,
    kNoEncryption,  // the TLS handshake failed
    kCaFileUnreadable,
    kCertificateName,  // detail: the host the certificate does not belong to
    kCertificateOutOfDate,
    kCertificateUntrusted,
    // The reply.
    kHttpStatus,      // status 400 or above
    kUnusableStatus,  // a 3xx that is no redirect to follow
    kRedirectNotFollowable,
    kTooManyRedirects,  // limit: the most redirects followed
    kHeadTooLong,
    kBadLength,
    kNotHttp,
    kMalformed,
    kBadCompression,
    kDroppedBeforeAnswer,  // reset or dropped before any head
    kClosedBeforeAnswer,   // an orderly close before any head
    kCutShort,
    kTooLarge,  // limit: the most body bytes
    // The fetch's own limits and end.
    kStalled,   // limit: milliseconds without progress
    kTimedOut,  // limit: milliseconds in all
    kQuitting,  // the application quit under the fetch
    kOutOfMemory,
    kNetwork,  // anything else; detail: the platform's own words
  };

  TransferFault(Kind kind, int http_status = 0, std::u16string detail = {}, std::int64_t limit = 0)
      : kind(kind), http_status(http_status), detail(std::move(detail)), limit(limit) {}

  Kind kind;
  int http_status;  // of the last reply, 0 before one
  std::u16string detail;
  std::int64_t limit;
};

// The failed result for `fault`: its class, its sentence and its status.
TransferResult FailedTransfer(const TransferFault& fault);

}  // namespace quorvel::catalogue
