// The framing rules on a request's line and headers, without a server.
#include "service/http/request_framing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::service {
namespace {

struct FramingCase {
  const char* name;
  std::string method;
  std::string target;
  std::string version;
  std::string headers;  // "name:value", one a line
  int status;
  std::string reason;
  std::size_t address_bytes_in_line = 0;
  std::size_t head_bytes = 0;
};

std::vector<HeaderField> Fields(std::string_view lines) {
  std::vector<HeaderField> fields;
  while (!lines.empty()) {
    const std::string_view line = lines.substr(0, lines.find('\n'));
    lines.remove_prefix(std::min(line.size() + 1, lines.size()));
    const std::size_t colon = line.find(':');
    fields.push_back({line.substr(0, colon), line.substr(colon + 1)});
  }
  return fields;
}

TEST(RequestFramingTest, VerdictForEachHead) {
  const std::string control = "control characters in the request line";
  const std::string get_only = "only GET and HEAD are served";
  const std::vector<FramingCase> cases = {
      {"a plain GET", "GET", "/a?b=c", "HTTP/1.1", "Host:x", 0, ""},
      {"HEAD, Host in any case", "HEAD", "/", "HTTP/1.1", "hOsT:x", 0, ""},
      {"HTTP/1.0 without Host", "GET", "/", "HTTP/1.0", "", 0, ""},
      {"no version given", "GET", "/", "", "", 0, ""},
      {"HTTP/1.1 without Host", "GET", "/", "HTTP/1.1", "", 400, "HTTP/1.1 needs a Host header"},
      {"two Host headers", "GET", "/", "HTTP/1.1", "Host:x\nhost:y", 400,
       "more than one Host header"},
      {"Content-Lengths that differ", "GET", "/", "HTTP/1.1",
       "Host:x\nContent-Length:0\ncontent-length:5", 400, "Content-Length headers that differ"},
      {"Content-Lengths alike", "GET", "/", "HTTP/1.1",
       "Host:x\nContent-Length:0\nContent-Length:0", 0, ""},
      {"a blank in a header name", "GET", "/", "HTTP/1.1", "Host:x\nX Y:z", 400,
       "white space in a header name"},
      {"a tab before the colon", "GET", "/", "HTTP/1.1", "Host:x\nTransfer-Encoding\t:x", 400,
       "white space in a header name"},
      {"a control character in the address", "GET", "/a\x01", "HTTP/1.1", "Host:x", 400, control},
      {"DEL in the method", "GE\x7F", "/", "HTTP/1.1", "Host:x", 400, control},
      {"a tab in the version", "GET", "/", "HTTP/1.1\t", "Host:x", 400, control},
      {"an address a NUL cut short", "GET", "/download/1", "HTTP/1.1", "Host:x", 400, control, 15},
      {"an address as long as the line says", "GET", "/download/1", "HTTP/1.1", "Host:x", 0, "",
       11},
      {"framing before the method", "POST", "/", "HTTP/1.1", "", 400,
       "HTTP/1.1 needs a Host header"},
      {"POST", "POST", "/", "HTTP/1.1", "Host:x", 405, get_only},
      {"a lower-case get", "get", "/", "HTTP/1.1", "Host:x", 405, get_only},
      {"a body by length", "GET", "/", "HTTP/1.1", "Host:x\nContent-Length:3", 413,
       "a request body is not accepted"},
      {"a chunked body", "GET", "/", "HTTP/1.1", "Host:x\ntransfer-encoding:chunked", 413,
       "a request body is not accepted"},
      {"the method before the body", "PUT", "/", "HTTP/1.1", "Host:x\nContent-Length:3", 405,
       get_only},
      {"an address over the head's limit", "GET", "/" + std::string(64, 'a'), "HTTP/1.1", "Host:x",
       414, "request address too long"},
      {"a head over its limit", "GET", "/", "HTTP/1.1", "Host:x", 431, "request headers too large",
       0, 65},
      {"a head at its limit", "GET", "/", "HTTP/1.1", "Host:x", 0, "", 0, 64},
      {"more headers than allowed", "GET", "/", "HTTP/1.1", "Host:x\na:1\nb:2\nc:3", 431,
       "too many request headers"},
      {"an encoded NUL in the path", "GET", "/download/1%00xyz", "HTTP/1.1", "Host:x", 400,
       "an encoded NUL in the address"},
      {"an encoded NUL in the query", "GET", "/a?q=%00", "HTTP/1.1", "Host:x", 0, ""},
      {"the absolute form", "GET", "http://x/a?b=c", "HTTP/1.1", "Host:x", 0, ""},
      {"the absolute form in capitals", "GET", "HTTPS://X:8080", "HTTP/1.1", "host:x:8080", 0, ""},
      {"the absolute form naming another host", "GET", "http://y/a", "HTTP/1.1", "Host:x", 400,
       "the address and the Host header name different hosts"},
      {"the absolute form with user information", "GET", "http://u@x/a", "HTTP/1.1", "Host:x", 400,
       "no plain host name in the address"},
      {"the absolute form without a host", "GET", "http:///a", "HTTP/1.1", "Host:x", 400,
       "no plain host name in the address"},
  };
  HttpLimits limits;
  limits.max_head_bytes = 64;
  limits.max_headers = 3;
  for (const FramingCase& c : cases) {
    const std::vector<HeaderField> headers = Fields(c.headers);
    const FramingVerdict verdict = CheckFraming(
        {c.method, c.target, c.version, c.address_bytes_in_line, headers, c.head_bytes}, limits);
    EXPECT_EQ(verdict.status, c.status) << c.name;
    EXPECT_EQ(verdict.reason, c.reason) << c.name;
    EXPECT_EQ(verdict.allow != nullptr ? std::string(verdict.allow) : "",
              c.status == 405 ? "GET, HEAD" : "")
        << c.name;
  }
}

}  // namespace
}  // namespace quorvel::service

namespace quorvel::service {
namespace {

TEST(RequestFramingTest, AbsoluteFormIsServedAsItsPath) {
  struct Case {
    const char* target;
    const char* path;
    const char* authority;
  };
  for (const Case& c : {Case{"http://x/a?b=c", "/a?b=c", "x"}, Case{"HTTPS://x:1", "/", "x:1"},
                        Case{"http://x?q", "/", "x"}, Case{"/a?http://x/", "/a?http://x/", ""},
                        Case{"*", "*", ""}}) {
    EXPECT_EQ(OriginForm(c.target), c.path) << c.target;
    EXPECT_EQ(AbsoluteFormAuthority(c.target), c.authority) << c.target;
  }
}

}  // namespace
}  // namespace quorvel::service
