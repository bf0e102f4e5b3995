#pragma once

// A listing reply taken apart without copying: records, fields and the
// trailer are views into the decoded text, which must outlive them.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>

#include "catalogue/listing_service.h"

namespace quorvel::catalogue {

inline constexpr QChar kRecordSeparator = QChar(0x0001);
inline constexpr QChar kFieldSeparator = QChar(0x0002);
inline constexpr std::u16string_view kTrailerMarker = u"?TtbBa?";

// The whole reply in one pass into one buffer sized from the byte count.
QString DecodeReply(const QByteArray& reply_bytes);
// The same into `text`, reusing its buffer when it is large enough and not shared.
void DecodeReplyInto(const QByteArray& reply_bytes, QString& text);

// Fields a record does not have are empty; fields past the sixth are dropped.
struct RecordFields {
  std::array<QStringView, kRecordFieldCount> field;
};

// Index of the first U+0001 or U+0002 at or after `from`, or `size`.
qsizetype FindSeparator(const char16_t* text, qsizetype from, qsizetype size);

// Calls `visit(const RecordFields&)` for every record, in order, in one pass
// over the text.  The piece after the last record separator holds the
// trailer and is never a record; an empty piece (two separators in a row) is
// no record either.
template <typename Visit>
void ForEachRecord(QStringView text, Visit&& visit) {
  const char16_t* const data = text.utf16();
  const qsizetype size = text.size();
  RecordFields fields;
  qsizetype record_start = 0;
  qsizetype field_start = 0;
  int field = 0;
  for (;;) {
    const qsizetype at = FindSeparator(data, field_start, size);
    if (at == size) return;
    if (field < kRecordFieldCount) fields.field[field] = text.sliced(field_start, at - field_start);
    ++field;
    if (data[at] == kRecordSeparator.unicode()) {
      if (at > record_start) {
        for (int f = field; f < kRecordFieldCount; ++f) fields.field[f] = QStringView();
        visit(static_cast<const RecordFields&>(fields));
      }
      record_start = at + 1;
      field = 0;
    }
    field_start = at + 1;
  }
}

struct ListingTrailer {
  enum class Fault { kNone, kNoMarker, kNoPageCount, kPageCountNotANumber };
  Fault fault = Fault::kNone;
  // Whether entry_count came from the reply and may go into the counter.
  bool counter_defined = false;
  QStringView entry_count;
  QStringView page_count_text;
  std::int32_t page_count = 0;  // 0 when missing or unreadable
};

// Reads the trailer after the marker "?TtbBa?".  Without a marker, a reply
// read with `whole_text_without_marker` is split at "?" as a whole (what the
// paging loads have always done); otherwise the counter stays undefined.
ListingTrailer ReadTrailer(QStringView text, bool whole_text_without_marker);

// The page count read as the ordinary text-to-number conversion reads it:
// blanks around, an optional sign, decimal digits with an optional fraction
// (rounded half to even) and exponent, or an "&H" / "&O" form.  Empty when it
// is no number or lies outside 32 bits.
std::optional<std::int32_t> ParsePageCount(QStringView text);

}  // namespace quorvel::catalogue
