#include "service/http/request_framing.h"

#include <algorithm>

namespace quorvel::service {
namespace {

bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Header names are compared as the server looks them up: ASCII letters in
// either case.
bool SameName(std::string_view name, std::string_view wanted) {
  return std::equal(name.begin(), name.end(), wanted.begin(), wanted.end(),
                    [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

FramingVerdict BadRequest(std::string_view reason) { return {400, reason}; }

// The length of "http://" or "https://" at the start of `target`, in any
// letter case; 0 when neither.
std::size_t SchemeLength(std::string_view target) {
  for (const std::string_view scheme :
       {std::string_view("http://"), std::string_view("https://")}) {
    if (target.size() >= scheme.size() && SameName(target.substr(0, scheme.size()), scheme)) {
      return scheme.size();
    }
  }
  return 0;
}

bool IsHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-' || c == ':' || c == '[' || c == ']';
}

// "%00" in the path: decoded, it would cut the path short.
bool HasEncodedNul(std::string_view target) {
  const std::string_view path = target.substr(0, target.find('?'));
  for (std::size_t at = path.find('%'); at != std::string_view::npos; at = path.find('%', at + 1)) {
    if (path.substr(at + 1, 2) == "00") return true;
  }
  return false;
}

}  // namespace

std::string_view AbsoluteFormAuthority(std::string_view target) {
  const std::size_t scheme = SchemeLength(target);
  if (scheme == 0) return {};
  const std::string_view rest = target.substr(scheme);
  return rest.substr(0, rest.find_first_of("/?"));
}

std::string_view OriginForm(std::string_view target) {
  const std::size_t scheme = SchemeLength(target);
  if (scheme == 0) return target;
  const std::size_t path = target.find('/', scheme);
  return path == std::string_view::npos ? std::string_view("/") : target.substr(path);
}

FramingVerdict CheckFraming(const RequestHead& head, const HttpLimits& limits) {
  if (head.target.size() > limits.max_head_bytes) return {414, "request address too long"};
  if (head.head_bytes > limits.max_head_bytes) return {431, "request headers too large"};
  if (head.headers.size() > limits.max_headers) return {431, "too many request headers"};
  if (HasControlCharacter(head.method) || HasControlCharacter(head.target) ||
      HasControlCharacter(head.version)) {
    return BadRequest("control characters in the request line");
  }
  if (!head.target.empty() && head.address_bytes_in_line > head.target.size()) {
    return BadRequest("control characters in the request line");
  }
  if (HasEncodedNul(head.target)) return BadRequest("an encoded NUL in the address");
  int hosts = 0;
  const std::string_view* host = nullptr;
  const std::string_view* length = nullptr;  // the first Content-Length
  bool lengths_differ = false;
  bool blank_in_name = false;
  bool transfer_coded = false;  // any Transfer-Encoding, whatever it names
  for (const HeaderField& header : head.headers) {
    if (header.name.find_first_of(" \t") != std::string_view::npos) blank_in_name = true;
    if (SameName(header.name, "Host")) {
      ++hosts;
      host = &header.value;
    }
    if (SameName(header.name, "Content-Length")) {
      if (length == nullptr) {
        length = &header.value;
      } else if (*length != header.value) {
        lengths_differ = true;
      }
    }
    if (SameName(header.name, "Transfer-Encoding")) transfer_coded = true;
  }
  if (blank_in_name) return BadRequest("white space in a header name");
  if (hosts > 1) return BadRequest("more than one Host header");
  if (hosts == 0 && head.version == "HTTP/1.1") return BadRequest("HTTP/1.1 needs a Host header");
  if (lengths_differ) return BadRequest("Content-Length headers that differ");
  if (SchemeLength(head.target) != 0) {
    // The address names the host itself; the Host header must say the same,
    // or the two would be read differently by whoever looks at either.
    const std::string_view authority = AbsoluteFormAuthority(head.target);
    if (authority.empty() || !std::all_of(authority.begin(), authority.end(), IsHostCharacter)) {
      return BadRequest("no plain host name in the address");
    }
    if (host != nullptr && !SameName(*host, authority)) {
      return BadRequest("the address and the Host header name different hosts");
    }
  }
  if (head.method != "GET" && head.method != "HEAD") {
    return {405, "only GET and HEAD are served", "GET, HEAD"};
  }
  if ((length != nullptr && *length != "0") || transfer_coded) {
    return {413, "a request body is not accepted"};
  }
  return {};
}

}  // namespace quorvel::service
