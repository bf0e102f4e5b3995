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

}  // namespace

FramingVerdict CheckFraming(const RequestHead& head) {
  if (HasControlCharacter(head.method) || HasControlCharacter(head.target) ||
      HasControlCharacter(head.version)) {
    return BadRequest("control characters in the request line");
  }
  if (!head.target.empty() && head.address_bytes_in_line > head.target.size()) {
    return BadRequest("control characters in the request line");
  }
  int hosts = 0;
  const std::string_view* length = nullptr;  // the first Content-Length
  bool lengths_differ = false;
  bool blank_in_name = false;
  bool transfer_coded = false;  // any Transfer-Encoding, whatever it names
  for (const HeaderField& header : head.headers) {
    if (header.name.find_first_of(" \t") != std::string_view::npos) blank_in_name = true;
    if (SameName(header.name, "Host")) ++hosts;
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
  if (head.method != "GET" && head.method != "HEAD") {
    return {405, "only GET and HEAD are served", "GET, HEAD"};
  }
  if ((length != nullptr && *length != "0") || transfer_coded) {
    return {413, "a request body is not accepted"};
  }
  return {};
}

}  // namespace quorvel::service
