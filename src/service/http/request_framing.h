#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "service/http/http_limits.h"

namespace quorvel::service {

// One request header as it was received.
struct HeaderField {
  std::string_view name;
  std::string_view value;
};

// A request's line and headers as the server read them.
struct RequestHead {
  std::string_view method;
  // The address as the server passed it on, which ends at a NUL.
  std::string_view target;
  std::string_view version;  // empty when the server gave none
  // The bytes the request line gives the address (0: not known).  More than
  // `target` holds means a NUL cut it short.
  std::size_t address_bytes_in_line = 0;
  std::span<const HeaderField> headers;  // in the order received
  std::size_t head_bytes = 0;            // request line and headers as received (0: not known)
};

// What to do with a request before its body: answer it (status 0), or refuse
// it with `status`, `reason` as the body's one line and, for a method not
// served, the Allow header.  Every refusal ends the connection.
struct FramingVerdict {
  int status = 0;
  std::string_view reason;
  const char* allow = nullptr;

  bool answerable() const { return status == 0; }
};

// The rules a request's framing is held to.  A head beyond `limits` gets 414
// (the address alone is too long) or 431.  Whatever two parties could read
// differently is refused with 400 rather than guessed at: control characters
// in the request line, an encoded NUL in the path (it would end the decoded
// path early), white space in a header name, more than one Host header,
// HTTP/1.1 without one, Content-Length headers that differ, an absolute-form
// address ("http://host/path") whose host is not a plain host name or is not
// the Host header's.  A method other than GET and HEAD gets 405, a request
// with a body 413.
FramingVerdict CheckFraming(const RequestHead& head, const HttpLimits& limits);

// The address in origin form: "/path?query" of an absolute-form address
// ("http://host/path?query", any letter case in the scheme; "/" when it has
// no path), `target` itself otherwise.
std::string_view OriginForm(std::string_view target);

// The host and port of an absolute-form address; empty for any other.
std::string_view AbsoluteFormAuthority(std::string_view target);

}  // namespace quorvel::service
