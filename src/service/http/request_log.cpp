#include "service/http/request_log.h"

#include <cstdio>

namespace quorvel::service {

std::string RequestLog::Printable(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0xF]);
    }
  }
  return out;
}

void RequestLog::Note(std::string_view line) {
  std::string text = "catalogue-service: ";
  for (const char c : line) {
    // Spaces stay, as in any sentence; what could break the line does not.
    const auto byte = static_cast<unsigned char>(c);
    text += byte < 0x20 || byte == 0x7F ? Printable(std::string_view(&c, 1)) : std::string(1, c);
  }
  text.push_back('\n');
  std::lock_guard lock(mutex_);
  std::fwrite(text.data(), 1, text.size(), stderr);
}

void RequestLog::Write(std::string_view method, std::string_view target, int status,
                       std::size_t body_bytes, long long micros) {
  std::string line = method.empty() ? std::string("-") : Printable(method);
  line.append(" ").append(target.empty() ? std::string("-") : Printable(target));
  line.append(" ").append(std::to_string(status));
  line.append(" ").append(std::to_string(body_bytes)).append("B");
  line.append(" ").append(micros < 0 ? std::string("-") : std::to_string(micros)).append("us\n");
  std::lock_guard lock(mutex_);
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace quorvel::service
