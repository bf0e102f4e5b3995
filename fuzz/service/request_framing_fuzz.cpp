// A request's line and headers as a server might pass them on, held to the
// framing rules.  The first byte is the length the request line gives the
// address; the rest, split at line ends, is the method, the address, the
// version and then one header a line, its name up to the first colon.
// Whatever arrives, the verdict must be one the service can send, and a
// request let through must be one the rules allow.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "service/http/request_framing.h"

namespace {

using quorvel::service::FramingVerdict;
using quorvel::service::HeaderField;

bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

bool IsHost(std::string_view name) {
  return name.size() == 4 && (name[0] | 0x20) == 'h' && (name[1] | 0x20) == 'o' &&
         (name[2] | 0x20) == 's' && (name[3] | 0x20) == 't';
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view NextLine(std::string_view& input) {
  const std::size_t end = std::min(input.find('\n'), input.size());
  const std::string_view line = input.substr(0, end);
  input.remove_prefix(std::min(end + 1, input.size()));
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  quorvel::service::RequestHead head;
  head.address_bytes_in_line = data[0];
  head.method = NextLine(input);
  head.target = NextLine(input);
  head.version = NextLine(input);
  std::vector<HeaderField> headers;
  while (!input.empty()) {
    const std::string_view line = NextLine(input);
    const std::size_t colon = std::min(line.find(':'), line.size());
    headers.push_back({line.substr(0, colon), line.substr(std::min(colon + 1, line.size()))});
  }
  head.headers = headers;

  head.head_bytes = size;
  quorvel::service::HttpLimits limits;
  limits.max_head_bytes = 200;
  limits.max_headers = 8;
  const FramingVerdict verdict = quorvel::service::CheckFraming(head, limits);
  const FramingVerdict again = quorvel::service::CheckFraming(head, limits);
  if (again.status != verdict.status || again.reason != verdict.reason) std::abort();
  switch (verdict.status) {
    case 0:
      if (!verdict.reason.empty() || verdict.allow != nullptr) std::abort();
      if (head.method != "GET" && head.method != "HEAD") std::abort();
      if (HasControlCharacter(head.method) || HasControlCharacter(head.target) ||
          HasControlCharacter(head.version)) {
        std::abort();
      }
      if (std::count_if(headers.begin(), headers.end(),
                        [](const HeaderField& h) { return IsHost(h.name); }) > 1) {
        std::abort();
      }
      if (head.head_bytes > limits.max_head_bytes || headers.size() > limits.max_headers) {
        std::abort();
      }
      // An absolute-form address names the host the Host header names.
      if (const std::string_view authority = quorvel::service::AbsoluteFormAuthority(head.target);
          !authority.empty()) {
        for (const HeaderField& h : headers) {
          if (IsHost(h.name) && !SameLetters(h.value, authority)) std::abort();
        }
      }
      break;
    case 400:
    case 413:
    case 414:
    case 431:
      if (verdict.allow != nullptr) std::abort();
      break;
    case 405:
      if (verdict.allow == nullptr || head.method == "GET" || head.method == "HEAD") std::abort();
      break;
    default:
      std::abort();
  }
  // A refusal's reason is the one line of its body.
  if (verdict.status != 0 && (verdict.reason.empty() || HasControlCharacter(verdict.reason))) {
    std::abort();
  }
  return 0;
}
