#include "catalogue/listing_reply.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "encoding/utf8_decoder.h"

namespace quorvel::catalogue {
namespace {

bool IsBlank(QChar c) {
  const char16_t u = c.unicode();
  return u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == u'\v' || u == u'\f';
}

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

bool IsDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }

// "&H" and "&O" forms: digits of the radix that make up a 32-bit pattern, so
// "&HFFFFFFFF" is -1 as the platform reads it; more than 32 bits is no number.
std::optional<std::int32_t> ReadRadixPattern(QStringView digits, int radix) {
  if (digits.isEmpty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const QChar c : digits) {
    const char16_t u = c.toUpper().unicode();
    int digit = radix;
    if (u >= u'0' && u <= u'9') digit = u - u'0';
    if (u >= u'A' && u <= u'F') digit = u - u'A' + 10;
    if (digit >= radix) return std::nullopt;
    value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// Decimal digits with an optional sign, fraction and exponent, rounded to a
// whole number half to even.  The rounding works on the digits themselves,
// so no binary fraction nudges a half either way.
std::optional<std::int32_t> ReadDecimal(QStringView text) {
  qsizetype i = 0;
  const qsizetype size = text.size();
  bool negative = false;
  if (i < size && (text[i] == u'-' || text[i] == u'+')) {
    negative = text[i] == u'-';
    ++i;
  }
  // The significant digits (from the first that is not 0), of which the
  // first twelve are kept: ten make the largest 32-bit value and the next
  // decides the rounding, so the rest only matter as "any not 0".  `scale` is
  // the power of ten that scales them.
  char16_t kept[12];
  std::int64_t kept_count = 0;
  std::int64_t count = 0;
  bool nonzero_beyond_kept = false;
  std::int64_t scale = 0;
  bool any_digit = false;
  const auto take = [&](char16_t u) {
    any_digit = true;
    if (count == 0 && u == u'0') return;
    if (kept_count < std::int64_t(std::size(kept))) {
      kept[kept_count++] = u;
    } else if (u != u'0') {
      nonzero_beyond_kept = true;
    }
    ++count;
  };
  for (; i < size && IsDigit(text[i]); ++i) take(text[i].unicode());
  if (i < size && text[i] == u'.') {
    for (++i; i < size && IsDigit(text[i]); ++i) {
      take(text[i].unicode());
      --scale;
    }
  }
  if (!any_digit) return std::nullopt;
  if (i < size && (text[i] == u'e' || text[i] == u'E')) {
    ++i;
    bool exponent_negative = false;
    if (i < size && (text[i] == u'-' || text[i] == u'+')) {
      exponent_negative = text[i] == u'-';
      ++i;
    }
    if (i == size) return std::nullopt;
    // Saturates far beyond any scale that could still give a 32-bit value.
    constexpr std::int64_t kExponentCap = std::int64_t{1} << 40;
    std::int64_t exponent = 0;
    for (; i < size && IsDigit(text[i]); ++i) {
      exponent = std::min(exponent * 10 + (text[i].unicode() - u'0'), kExponentCap);
    }
    scale += exponent_negative ? -exponent : exponent;
  }
  if (i != size) return std::nullopt;
  if (count == 0) return 0;

  // Digits before the decimal point once scaled; eleven exceed 32 bits.
  const std::int64_t whole_count = count + scale;
  if (whole_count > 10) return std::nullopt;
  std::int64_t value = 0;
  for (std::int64_t d = 0; d < std::min(whole_count, count); ++d)
    value = value * 10 + kept[d] - u'0';
  for (std::int64_t d = count; d < whole_count; ++d) value *= 10;
  // A number below a tenth (whole_count < 0) rounds to 0 whatever its digits.
  if (whole_count >= 0 && whole_count < count) {
    const int dropped = kept[whole_count] - u'0';
    bool beyond = nonzero_beyond_kept;
    for (std::int64_t d = whole_count + 1; d < kept_count; ++d) beyond = beyond || kept[d] != u'0';
    if (dropped > 5 || (dropped == 5 && (beyond || value % 2 == 1))) ++value;
  }
  if (negative) value = -value;
  if (value < kInt32Min || value > kInt32Max) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

const QStringView kMarker(kTrailerMarker.data(), static_cast<qsizetype>(kTrailerMarker.size()));

// The first "?TtbBa?" at or after `from`, or -1.  A search for its first
// character: listing text has few question marks, and a general substring
// search skips poorly over Chinese text.
qsizetype FindMarker(QStringView text, qsizetype from) {
  const char16_t* const data = text.utf16();
  const qsizetype size = text.size();
  const qsizetype last = size - kMarker.size();
  qsizetype i = from;
  while (i <= last) {
#if defined(__SSE2__)
    const __m128i mark = _mm_set1_epi16(u'?');
    int mask = 0;
    while (i + 8 <= size) {
      const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      mask = _mm_movemask_epi8(_mm_cmpeq_epi16(units, mark));
      if (mask != 0) break;
      i += 8;
    }
    if (mask != 0) i += __builtin_ctz(static_cast<unsigned>(mask)) >> 1;
#endif
    while (i <= last && data[i] != u'?') ++i;
    if (i > last) break;
    if (text.sliced(i, kMarker.size()) == kMarker) return i;
    ++i;
  }
  return -1;
}

}  // namespace

QString DecodeReply(const QByteArray& reply_bytes) {
  QString text;
  DecodeReplyInto(reply_bytes, text);
  return text;
}

void DecodeReplyInto(const QByteArray& reply_bytes, QString& text) {
  if (reply_bytes.isEmpty()) {
    text.clear();
    return;
  }
  text.resize(reply_bytes.size());
  const std::size_t written = encoding::DecodeUtf8Into(
      reinterpret_cast<const unsigned char*>(reply_bytes.constData()),
      static_cast<std::size_t>(reply_bytes.size()), reinterpret_cast<char16_t*>(text.data()));
  text.truncate(static_cast<qsizetype>(written));
}

qsizetype FindSeparator(const char16_t* text, qsizetype from, qsizetype size) {
  qsizetype i = from;
#if defined(__SSE2__)
  const __m128i one = _mm_set1_epi16(1);
  const __m128i two = _mm_set1_epi16(2);
  for (; i + 8 <= size; i += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    const int mask =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(units, one), _mm_cmpeq_epi16(units, two)));
    if (mask != 0) return i + (__builtin_ctz(static_cast<unsigned>(mask)) >> 1);
  }
#endif
  for (; i < size; ++i) {
    if (text[i] == 1 || text[i] == 2) return i;
  }
  return size;
}

ListingTrailer ReadTrailer(QStringView text, bool whole_text_without_marker) {
  ListingTrailer trailer;
  QStringView tail;
  const qsizetype marker = FindMarker(text, 0);
  if (marker >= 0) {
    tail = text.sliced(marker + kMarker.size());
    const qsizetype second = FindMarker(tail, 0);
    if (second >= 0) tail = tail.first(second);
  } else {
    trailer.fault = ListingTrailer::Fault::kNoMarker;
    if (!whole_text_without_marker) return trailer;
    tail = text;
  }

  const qsizetype first_mark = tail.indexOf(u'?');
  trailer.counter_defined = true;
  if (first_mark < 0) {
    trailer.entry_count = tail;
    if (trailer.fault == ListingTrailer::Fault::kNone) {
      trailer.fault = ListingTrailer::Fault::kNoPageCount;
    }
    return trailer;
  }
  trailer.entry_count = tail.first(first_mark);
  QStringView rest = tail.sliced(first_mark + 1);
  const qsizetype second_mark = rest.indexOf(u'?');
  if (second_mark >= 0) rest = rest.first(second_mark);
  trailer.page_count_text = rest;
  if (const auto count = ParsePageCount(rest)) {
    trailer.page_count = *count;
  } else if (trailer.fault == ListingTrailer::Fault::kNone) {
    trailer.fault = ListingTrailer::Fault::kPageCountNotANumber;
  }
  return trailer;
}

std::optional<std::int32_t> ParsePageCount(QStringView text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  const QStringView number = text.sliced(begin, end - begin);
  if (number.size() >= 2 && number[0] == u'&') {
    const char16_t form = number[1].toUpper().unicode();
    if (form == u'H') return ReadRadixPattern(number.sliced(2), 16);
    if (form == u'O') return ReadRadixPattern(number.sliced(2), 8);
    return std::nullopt;
  }
  return ReadDecimal(number);
}

}  // namespace quorvel::catalogue
