#include "encoding/utf8_decoder.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorvel::encoding {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

inline bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

std::size_t DecodeUtf8Into(const unsigned char* in, std::size_t size, char16_t* out) {
  const unsigned char* p = in;
  const unsigned char* const end = in + size;
  char16_t* o = out;

  while (p < end) {
#if defined(__SSE2__)
    // Listing replies are almost all ASCII: widen 16 bytes at a time.
    while (end - p >= 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      if (_mm_movemask_epi8(chunk) != 0) break;
      const __m128i zero = _mm_setzero_si128();
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(chunk, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8), _mm_unpackhi_epi8(chunk, zero));
      p += 16;
      o += 16;
    }
    if (p >= end) break;
#endif
    const unsigned char b0 = *p;
    if (b0 < 0x80) {
      *o++ = b0;
      ++p;
      continue;
    }
    const std::size_t left = static_cast<std::size_t>(end - p);
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      if (left >= 2 && IsContinuation(p[1])) {
        *o++ = static_cast<char16_t>(((b0 & 0x1F) << 6) | (p[1] & 0x3F));
        p += 2;
      } else {
        *o++ = kReplacement;
        p += 1;
      }
      continue;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
      // The second byte's range excludes overlong forms (E0) and surrogates (ED).
      const unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80;
      const unsigned char hi = b0 == 0xED ? 0x9F : 0xBF;
      if (left >= 2 && p[1] >= lo && p[1] <= hi) {
        if (left >= 3 && IsContinuation(p[2])) {
          *o++ = static_cast<char16_t>(((b0 & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
          p += 3;
        } else {
          *o++ = kReplacement;
          p += 2;
        }
      } else {
        *o++ = kReplacement;
        p += 1;
      }
      continue;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
      const unsigned char lo = b0 == 0xF0 ? 0x90 : 0x80;
      const unsigned char hi = b0 == 0xF4 ? 0x8F : 0xBF;
      if (left >= 2 && p[1] >= lo && p[1] <= hi) {
        if (left >= 3 && IsContinuation(p[2])) {
          if (left >= 4 && IsContinuation(p[3])) {
            const char32_t c = (char32_t{b0 & 0x07u} << 18) | (char32_t{p[1] & 0x3Fu} << 12) |
                               (char32_t{p[2] & 0x3Fu} << 6) | char32_t{p[3] & 0x3Fu};
            *o++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            *o++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            p += 4;
          } else {
            *o++ = kReplacement;
            p += 3;
          }
        } else {
          *o++ = kReplacement;
          p += 2;
        }
      } else {
        *o++ = kReplacement;
        p += 1;
      }
      continue;
    }
    // 80..C1 and F5..FF never start a sequence.
    *o++ = kReplacement;
    ++p;
  }
  return static_cast<std::size_t>(o - out);
}

std::u16string Utf8ToUnicode(std::string_view reply_bytes) {
  if (reply_bytes.empty()) return {};
  std::u16string text(reply_bytes.size(), u'\0');
  const std::size_t written = DecodeUtf8Into(
      reinterpret_cast<const unsigned char*>(reply_bytes.data()), reply_bytes.size(), text.data());
  text.resize(written);
  return text;
}

}  // namespace quorvel::encoding
