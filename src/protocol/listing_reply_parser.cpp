#include "protocol/listing_reply_parser.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorvel::protocol {
namespace {

bool IsBlank(char16_t u) {
  return u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == u'\v' || u == u'\f';
}

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

bool IsDigit(char16_t u) { return u >= u'0' && u <= u'9'; }

// Only ASCII letters: no other character upper-cases to a digit or a form letter.
char16_t AsciiUpper(char16_t u) {
  return u >= u'a' && u <= u'z' ? static_cast<char16_t>(u - u'a' + u'A') : u;
}

// "&H" and "&O" forms: digits of the radix that make up a 32-bit pattern, so
// "&HFFFFFFFF" is -1 as the platform reads it; more than 32 bits is no number.
std::optional<std::int32_t> ReadRadixPattern(std::u16string_view digits, int radix) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char16_t c : digits) {
    const char16_t u = AsciiUpper(c);
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
std::optional<std::int32_t> ReadDecimal(std::u16string_view text) {
  std::size_t i = 0;
  const std::size_t size = text.size();
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
  for (; i < size && IsDigit(text[i]); ++i) take(text[i]);
  if (i < size && text[i] == u'.') {
    for (++i; i < size && IsDigit(text[i]); ++i) {
      take(text[i]);
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
      exponent = std::min(exponent * 10 + (text[i] - u'0'), kExponentCap);
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

constexpr std::u16string_view kMarker = kUtf16<kTrailerMarker>;
constexpr char16_t kCountMark = kUtf16<kCountSeparator>[0];
constexpr char16_t kRecordMark = kUtf16<kRecordSeparator>[0];
constexpr char16_t kFieldMark = kUtf16<kFieldSeparator>[0];

// The first "?TtbBa?" at or after `from`, or npos.  A search for its first
// character: listing text has few question marks, and a general substring
// search skips poorly over Chinese text.
std::size_t FindMarker(std::u16string_view text) {
  if (text.size() < kMarker.size()) return std::u16string_view::npos;
  const char16_t* const data = text.data();
  const std::size_t size = text.size();
  const std::size_t last = size - kMarker.size();
  std::size_t i = 0;
  while (i <= last) {
#if defined(__SSE2__)
    const __m128i mark = _mm_set1_epi16(static_cast<short>(kMarker[0]));
    int mask = 0;
    while (i + 8 <= size) {
      const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      mask = _mm_movemask_epi8(_mm_cmpeq_epi16(units, mark));
      if (mask != 0) break;
      i += 8;
    }
    if (mask != 0) i += __builtin_ctz(static_cast<unsigned>(mask)) >> 1;
#endif
    while (i <= last && data[i] != kMarker[0]) ++i;
    if (i > last) break;
    if (text.substr(i, kMarker.size()) == kMarker) return i;
    ++i;
  }
  return std::u16string_view::npos;
}

}  // namespace

std::size_t FindSeparator(const char16_t* text, std::size_t from, std::size_t size) {
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i one = _mm_set1_epi16(kRecordMark);
  const __m128i two = _mm_set1_epi16(kFieldMark);
  for (; i + 8 <= size; i += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    const int mask =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(units, one), _mm_cmpeq_epi16(units, two)));
    if (mask != 0) return i + (__builtin_ctz(static_cast<unsigned>(mask)) >> 1);
  }
#endif
  for (; i < size; ++i) {
    if (text[i] == kRecordMark || text[i] == kFieldMark) return i;
  }
  return size;
}

ListingTrailer ReadTrailer(std::u16string_view text, bool whole_text_without_marker) {
  constexpr std::size_t kNone = std::u16string_view::npos;
  ListingTrailer trailer;
  std::u16string_view tail;
  const std::size_t marker = FindMarker(text);
  if (marker != kNone) {
    tail = text.substr(marker + kMarker.size());
    tail = tail.substr(0, FindMarker(tail));
  } else {
    trailer.fault = ListingTrailer::Fault::kNoMarker;
    if (!whole_text_without_marker) return trailer;
    tail = text;
  }

  const std::size_t first_mark = tail.find(kCountMark);
  trailer.counter_defined = true;
  if (first_mark == kNone) {
    trailer.entry_count = tail;
    if (trailer.fault == ListingTrailer::Fault::kNone) {
      trailer.fault = ListingTrailer::Fault::kNoPageCount;
    }
    return trailer;
  }
  trailer.entry_count = tail.substr(0, first_mark);
  const std::u16string_view after = tail.substr(first_mark + 1);
  const std::u16string_view rest = after.substr(0, after.find(kCountMark));
  trailer.page_count_text = rest;
  if (const auto count = ParsePageCount(rest)) {
    trailer.page_count = *count;
  } else if (trailer.fault == ListingTrailer::Fault::kNone) {
    trailer.fault = ListingTrailer::Fault::kPageCountNotANumber;
  }
  return trailer;
}

std::optional<std::int32_t> ParsePageCount(std::u16string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  const std::u16string_view number = text.substr(begin, end - begin);
  if (number.size() >= 2 && number[0] == u'&') {
    const char16_t form = AsciiUpper(number[1]);
    if (form == u'H') return ReadRadixPattern(number.substr(2), 16);
    if (form == u'O') return ReadRadixPattern(number.substr(2), 8);
    return std::nullopt;
  }
  return ReadDecimal(number);
}

std::vector<DownloadLink> SplitDownloadLinks(std::u16string_view links) {
  constexpr std::u16string_view kTerminator = kUtf16<kLinkSeparator>;
  constexpr std::u16string_view kSeparator = kUtf16<kLinkNameSeparator>;
  std::vector<DownloadLink> split;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = links.find(kTerminator, start);
    if (end == std::u16string_view::npos) break;
    const std::u16string_view link = links.substr(start, end - start);
    start = end + kTerminator.size();
    const std::size_t name_end = link.find(kSeparator);
    if (name_end == std::u16string_view::npos) continue;
    const std::u16string_view address = link.substr(name_end + kSeparator.size());
    split.push_back({link.substr(0, name_end), address.substr(0, address.find(kSeparator))});
  }
  return split;
}

}  // namespace quorvel::protocol
