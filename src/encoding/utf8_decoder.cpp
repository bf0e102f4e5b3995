#include "encoding/utf8_decoder.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QUORVEL_X86 1
#endif

namespace quorvel::encoding {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

inline bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Decodes the sequence at p (p < end, *p >= 0x80), writes one or two units and
// returns the bytes consumed.  An ill-formed sequence consumes exactly its
// maximal subpart and yields one U+FFFD; the byte that broke it is read again.
[[gnu::always_inline]] inline std::size_t DecodeSequence(const unsigned char* p,
                                                         const unsigned char* end, char16_t*& o) {
  const unsigned char b0 = p[0];
  const std::size_t left = static_cast<std::size_t>(end - p);
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    if (left >= 2 && IsContinuation(p[1])) {
      *o++ = static_cast<char16_t>(((b0 & 0x1F) << 6) | (p[1] & 0x3F));
      return 2;
    }
    *o++ = kReplacement;
    return 1;
  }
  if (b0 >= 0xE0 && b0 <= 0xEF) {
    // The second byte's range shuts out overlong forms (E0) and surrogates (ED).
    const unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80;
    const unsigned char hi = b0 == 0xED ? 0x9F : 0xBF;
    if (left < 2 || p[1] < lo || p[1] > hi) {
      *o++ = kReplacement;
      return 1;
    }
    if (left < 3 || !IsContinuation(p[2])) {
      *o++ = kReplacement;
      return 2;
    }
    *o++ = static_cast<char16_t>(((b0 & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
    return 3;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4) {
    const unsigned char lo = b0 == 0xF0 ? 0x90 : 0x80;
    const unsigned char hi = b0 == 0xF4 ? 0x8F : 0xBF;
    if (left < 2 || p[1] < lo || p[1] > hi) {
      *o++ = kReplacement;
      return 1;
    }
    if (left < 3 || !IsContinuation(p[2])) {
      *o++ = kReplacement;
      return 2;
    }
    if (left < 4 || !IsContinuation(p[3])) {
      *o++ = kReplacement;
      return 3;
    }
    const char32_t c = (char32_t{b0 & 0x07u} << 18) | (char32_t{p[1] & 0x3Fu} << 12) |
                       (char32_t{p[2] & 0x3Fu} << 6) | char32_t{p[3] & 0x3Fu};
    *o++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    *o++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    return 4;
  }
  // 80..C1 and F5..FF never start a sequence.
  *o++ = kReplacement;
  return 1;
}

std::size_t DecodeScalar(const unsigned char* p, const unsigned char* end, char16_t* out) {
  char16_t* o = out;
  while (p < end) {
    if (*p < 0x80) {
      *o++ = *p++;
    } else {
      p += DecodeSequence(p, end, o);
    }
  }
  return static_cast<std::size_t>(o - out);
}

#if defined(QUORVEL_X86)

// Vector decoding.  Every store below writes 8 or 16 units where fewer are
// kept; it stays inside the output because a unit is never written for fewer
// than one byte and each store needs 16 unread input bytes behind it.
[[gnu::target("ssse3")]] std::size_t DecodeSsse3(const unsigned char* p, const unsigned char* end,
                                                 char16_t* out) {
  char16_t* o = out;
  const __m128i zero = _mm_setzero_si128();
  // Five three-byte characters in bytes 0..14: where leads and continuations must be.
  const __m128i lead_mask =
      _mm_setr_epi8(static_cast<char>(0xF0), static_cast<char>(0xC0), static_cast<char>(0xC0),
                    static_cast<char>(0xF0), static_cast<char>(0xC0), static_cast<char>(0xC0),
                    static_cast<char>(0xF0), static_cast<char>(0xC0), static_cast<char>(0xC0),
                    static_cast<char>(0xF0), static_cast<char>(0xC0), static_cast<char>(0xC0),
                    static_cast<char>(0xF0), static_cast<char>(0xC0), static_cast<char>(0xC0), 0);
  const __m128i lead_value =
      _mm_setr_epi8(static_cast<char>(0xE0), static_cast<char>(0x80), static_cast<char>(0x80),
                    static_cast<char>(0xE0), static_cast<char>(0x80), static_cast<char>(0x80),
                    static_cast<char>(0xE0), static_cast<char>(0x80), static_cast<char>(0x80),
                    static_cast<char>(0xE0), static_cast<char>(0x80), static_cast<char>(0x80),
                    static_cast<char>(0xE0), static_cast<char>(0x80), static_cast<char>(0x80), 0);
  // Per 16-bit lane k: low byte the third byte, high byte the second byte.
  const __m128i take_tail = _mm_setr_epi8(2, 1, 5, 4, 8, 7, 11, 10, 14, 13, -1, -1, -1, -1, -1, -1);
  // Per 16-bit lane k: the lead byte.
  const __m128i take_lead =
      _mm_setr_epi8(0, -1, 3, -1, 6, -1, 9, -1, 12, -1, -1, -1, -1, -1, -1, -1);
  const __m128i low6 = _mm_set1_epi16(0x003F);
  const __m128i mid6 = _mm_set1_epi16(0x3F00);
  const __m128i high4 = _mm_set1_epi16(0x000F);
  const __m128i range = _mm_set1_epi16(static_cast<short>(0xF800));
  const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));

  while (end - p >= 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int high_bits = _mm_movemask_epi8(chunk);
    if (high_bits == 0) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(chunk, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8), _mm_unpackhi_epi8(chunk, zero));
      p += 16;
      o += 16;
      continue;
    }
    if ((high_bits & 1) == 0) {
      // Keep the ASCII run in front of the first non-ASCII byte.
      const int ascii = __builtin_ctz(static_cast<unsigned>(high_bits));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(chunk, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8), _mm_unpackhi_epi8(chunk, zero));
      p += ascii;
      o += ascii;
      continue;
    }
    // How many whole three-byte characters stand at the front of the block.
    const unsigned shape = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(chunk, lead_mask), lead_value)));
    const unsigned broken = ~shape & 0x7FFFu;
    const int whole = (broken == 0 ? 15 : __builtin_ctz(broken)) / 3;
    if (whole > 0) {
      const __m128i tail = _mm_shuffle_epi8(chunk, take_tail);
      const __m128i lead = _mm_shuffle_epi8(chunk, take_lead);
      const __m128i units = _mm_or_si128(
          _mm_or_si128(_mm_and_si128(tail, low6), _mm_srli_epi16(_mm_and_si128(tail, mid6), 2)),
          _mm_slli_epi16(_mm_and_si128(lead, high4), 12));
      const __m128i top = _mm_and_si128(units, range);
      const __m128i bad = _mm_or_si128(_mm_cmpeq_epi16(top, zero), _mm_cmpeq_epi16(top, surrogate));
      // Lane k holds character k; overlong forms and surrogates go the slow way.
      const unsigned wanted = (1u << (2 * whole)) - 1;
      if ((static_cast<unsigned>(_mm_movemask_epi8(bad)) & wanted) == 0) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), units);
        p += 3 * whole;
        o += whole;
        continue;
      }
    }
    p += DecodeSequence(p, end, o);
  }
  return static_cast<std::size_t>(o - out) + DecodeScalar(p, end, o);
}

bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

#endif

}  // namespace

std::size_t DecodeUtf8Into(const unsigned char* bytes, std::size_t size, char16_t* out) {
#if defined(QUORVEL_X86)
  if (HasSsse3()) return DecodeSsse3(bytes, bytes + size, out);
#endif
  return DecodeScalar(bytes, bytes + size, out);
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
