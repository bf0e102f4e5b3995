#pragma once

#include <microhttpd.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "service/http/cacheable_replies.h"
#include "service/http/content_coding.h"
#include "service/http/service_metrics.h"

namespace quorvel::service {

class RequestLog;

inline constexpr const char* kTextType = "text/plain; charset=utf-8";
inline constexpr const char* kHtmlType = "text/html; charset=utf-8";

// The status noted for a request whose reply was queued but not sent whole:
// the connection ended first.
inline constexpr int kUnsent = -1;

// One request, from its request line to its log line.
struct ServedRequest {
  std::string target;  // as sent
  std::string method;
  bool head_seen = false;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  int status = 0;  // 0 until answered here; kUnsent
  std::size_t body_bytes = 0;
  RequestKind kind = RequestKind::kOther;
  ContentCoding coding = ContentCoding::kIdentity;
};

// Each of these queues the reply to `request` on `connection` and notes its
// status and body size for the log line, unless the server could not make
// the reply (MHD_NO, nothing noted).

// `line` and a line feed as plain text; `allow` names the methods served.
MHD_Result AnswerText(MHD_Connection* connection, ServedRequest& request, int status,
                      std::string_view line, const char* allow = nullptr);

// `body` as it is, of `type`.
MHD_Result AnswerBody(MHD_Connection* connection, ServedRequest& request, int status,
                      std::string body, const char* type, const char* allow = nullptr);

// A reply that caches can hold, or its 304.
MHD_Result AnswerReady(MHD_Connection* connection, ServedRequest& request,
                       const CacheableReplies::Prepared& prepared);

// 503 with a fixed body, which says nothing of the store and needs next to no
// memory; `detail` goes to `log`, if there is memory for that.  `request`
// may be null (no memory to hold it) or answered already (then nothing is
// sent).
MHD_Result AnswerUnavailable(MHD_Connection* connection, ServedRequest* request, const char* detail,
                             RequestLog& log);

}  // namespace quorvel::service
