// The encoded term must be plain unreserved ASCII and percent groups, and must
// decode back to the term (lone surrogates read back as U+FFFD).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "encoding/query_encoder.h"
#include "encoding/utf8_decoder.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  std::abort();  // lower-case or other digits are a finding
}

bool IsUnreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string term(size / 2, u'\0');
  for (std::size_t i = 0; i < term.size(); ++i) {
    term[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  }
  const std::string encoded = quorvel::encoding::GBtoUTF8(term);

  std::string bytes;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '%') {
      if (i + 2 >= encoded.size()) std::abort();
      bytes.push_back(static_cast<char>(HexValue(encoded[i + 1]) * 16 + HexValue(encoded[i + 2])));
      i += 2;
    } else if (IsUnreserved(encoded[i])) {
      bytes.push_back(encoded[i]);
    } else {
      std::abort();
    }
  }

  std::u16string expected = term;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const char16_t u = expected[i];
    const bool high = u >= 0xD800 && u <= 0xDBFF;
    const bool low = u >= 0xDC00 && u <= 0xDFFF;
    if (high && i + 1 < expected.size() && expected[i + 1] >= 0xDC00 && expected[i + 1] <= 0xDFFF) {
      ++i;
    } else if (high || low) {
      expected[i] = 0xFFFD;
    }
  }
  if (quorvel::encoding::Utf8ToUnicode(bytes) != expected) std::abort();
  return 0;
}
