#include "catalogue/listing_reply.h"

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
  if (begin == end) return std::nullopt;
  bool negative = false;
  if (text[begin] == u'-' || text[begin] == u'+') {
    negative = text[begin] == u'-';
    ++begin;
  }
  if (begin == end) return std::nullopt;
  // One past the largest value is let through so that the most negative one fits.
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  for (qsizetype i = begin; i < end; ++i) {
    const char16_t u = text[i].unicode();
    if (u < u'0' || u > u'9') return std::nullopt;
    value = value * 10 + (u - u'0');
    if (value > kMax + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < kMin || value > kMax) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace quorvel::catalogue
