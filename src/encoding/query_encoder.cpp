#include "encoding/query_encoder.h"

namespace quorvel::encoding {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsUnreserved(char32_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

void AppendByte(std::string& out, unsigned byte) {
  out.push_back('%');
  out.push_back(kHexDigits[(byte >> 4) & 0xF]);
  out.push_back(kHexDigits[byte & 0xF]);
}

void AppendCodePoint(std::string& out, char32_t c) {
  if (c < 0x80) {
    if (IsUnreserved(c)) {
      out.push_back(static_cast<char>(c));
    } else {
      AppendByte(out, c);
    }
  } else if (c < 0x800) {
    AppendByte(out, 0xC0 | (c >> 6));
    AppendByte(out, 0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    AppendByte(out, 0xE0 | (c >> 12));
    AppendByte(out, 0x80 | ((c >> 6) & 0x3F));
    AppendByte(out, 0x80 | (c & 0x3F));
  } else {
    AppendByte(out, 0xF0 | (c >> 18));
    AppendByte(out, 0x80 | ((c >> 12) & 0x3F));
    AppendByte(out, 0x80 | ((c >> 6) & 0x3F));
    AppendByte(out, 0x80 | (c & 0x3F));
  }
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::string GBtoUTF8(std::u16string_view term) {
  std::string out;
  out.reserve(term.size() * 3);
  for (std::size_t i = 0; i < term.size(); ++i) {
    const char16_t u = term[i];
    if (IsHighSurrogate(u) && i + 1 < term.size() && IsLowSurrogate(term[i + 1])) {
      const char32_t c =
          0x10000 + ((char32_t{u} - 0xD800) << 10) + (char32_t{term[i + 1]} - 0xDC00);
      AppendCodePoint(out, c);
      ++i;
    } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
      AppendCodePoint(out, 0xFFFD);
    } else {
      AppendCodePoint(out, u);
    }
  }
  return out;
}

}  // namespace quorvel::encoding
