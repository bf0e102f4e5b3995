#include "service/http/content_coding.h"

#include <algorithm>
#include <array>
#include <optional>

namespace quorvel::service {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    if (x != b[i]) return false;
  }
  return true;
}

// A q-value in thousandths: "0", "0.5", "1", "1.000"; nothing when malformed.
std::optional<int> ParseQuality(std::string_view text) {
  if (text.empty() || (text[0] != '0' && text[0] != '1')) return std::nullopt;
  int value = (text[0] - '0') * 1000;
  if (text.size() == 1) return value;
  if (text[1] != '.' || text.size() > 5) return std::nullopt;
  int scale = 100;
  for (const char c : text.substr(2)) {
    if (c < '0' || c > '9') return std::nullopt;
    value += (c - '0') * scale;
    scale /= 10;
  }
  return value <= 1000 ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

std::string_view CodingName(ContentCoding coding) {
  switch (coding) {
    case ContentCoding::kGzip:
      return "gzip";
    case ContentCoding::kBrotli:
      return "br";
    case ContentCoding::kIdentity:
      break;
  }
  return "";
}

ContentCoding ChooseCoding(const char* accept_encoding) {
  if (accept_encoding == nullptr) return ContentCoding::kIdentity;
  // Thousandths for identity, gzip, br; -1 while not named.
  std::array<int, kContentCodings> named = {-1, -1, -1};
  int others = -1;  // what "*" gives
  std::string_view rest(accept_encoding);
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    std::string_view element = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    int quality = 1000;
    const std::size_t semicolon = element.find(';');
    if (semicolon != std::string_view::npos) {
      // Only the q parameter means anything here; an element whose q cannot
      // be read is left out rather than guessed at.
      std::string_view parameter = Trim(element.substr(semicolon + 1));
      element = element.substr(0, semicolon);
      if (parameter.size() < 2 || (parameter[0] != 'q' && parameter[0] != 'Q')) continue;
      parameter = Trim(parameter.substr(1));
      if (parameter.empty() || parameter[0] != '=') continue;
      const std::optional<int> parsed = ParseQuality(Trim(parameter.substr(1)));
      if (!parsed) continue;
      quality = *parsed;
    }
    // A coding named more than once, as when the header came in several
    // lines, counts at its least: one that the client declined anywhere is
    // not sent to it.
    const auto take = [quality](int& slot) { slot = slot < 0 ? quality : std::min(slot, quality); };
    const std::string_view name = Trim(element);
    if (SameLetters(name, "identity")) {
      take(named[0]);
    } else if (SameLetters(name, "gzip") || SameLetters(name, "x-gzip")) {
      take(named[1]);
    } else if (SameLetters(name, "br")) {
      take(named[2]);
    } else if (name == "*") {
      take(others);
    }
  }
  const auto of = [&](std::size_t i) { return named[i] >= 0 ? named[i] : others; };
  const int br = of(2);
  const int gzip = of(1);
  // Identity that is not named at all is acceptable but least wanted.
  const int identity = named[0] >= 0 ? named[0] : (others == 0 ? 0 : 1);
  if (br > 0 && br >= gzip && br >= identity) return ContentCoding::kBrotli;
  if (gzip > 0 && gzip >= identity) return ContentCoding::kGzip;
  return ContentCoding::kIdentity;
}

}  // namespace quorvel::service
