#include "catalogue/listing_reply.h"

#include <limits>

#include "encoding/utf8_decoder.h"

namespace quorvel::catalogue {
namespace {

bool IsBlank(QChar c) {
  const char16_t u = c.unicode();
  return u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == u'\v' || u == u'\f';
}

const QStringView kMarker(kTrailerMarker.data(), static_cast<qsizetype>(kTrailerMarker.size()));

}  // namespace

QString DecodeReply(const QByteArray& reply_bytes) {
  if (reply_bytes.isEmpty()) return QString();
  QString text(reply_bytes.size(), Qt::Uninitialized);
  const std::size_t written = encoding::DecodeUtf8Into(
      reinterpret_cast<const unsigned char*>(reply_bytes.constData()),
      static_cast<std::size_t>(reply_bytes.size()), reinterpret_cast<char16_t*>(text.data()));
  text.truncate(static_cast<qsizetype>(written));
  return text;
}

ListingTrailer ReadTrailer(QStringView text, bool whole_text_without_marker) {
  ListingTrailer trailer;
  QStringView tail;
  const qsizetype marker = text.indexOf(kMarker);
  if (marker >= 0) {
    tail = text.sliced(marker + kMarker.size());
    const qsizetype second = tail.indexOf(kMarker);
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
