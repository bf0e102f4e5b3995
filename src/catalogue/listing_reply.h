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

// Fields a record does not have are empty; fields past the sixth are dropped.
struct RecordFields {
  std::array<QStringView, kRecordFieldCount> field;
};

// Calls `visit(const RecordFields&)` for every record, in order.  The piece
// after the last record separator holds the trailer and is never a record;
// an empty piece (two separators in a row) is no record either.
template <typename Visit>
void ForEachRecord(QStringView text, Visit&& visit) {
  qsizetype start = 0;
  RecordFields fields;
  for (;;) {
    const qsizetype end = text.indexOf(kRecordSeparator, start);
    if (end < 0) return;
    if (end > start) {
      const QStringView record = text.sliced(start, end - start);
      qsizetype field_start = 0;
      int f = 0;
      for (; f < kRecordFieldCount; ++f) {
        const qsizetype field_end = record.indexOf(kFieldSeparator, field_start);
        if (field_end < 0) {
          fields.field[f] = record.sliced(field_start);
          ++f;
          break;
        }
        fields.field[f] = record.sliced(field_start, field_end - field_start);
        field_start = field_end + 1;
      }
      for (; f < kRecordFieldCount; ++f) fields.field[f] = QStringView();
      visit(static_cast<const RecordFields&>(fields));
    }
    start = end + 1;
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

// Decimal digits with an optional sign and blanks around them, within 32 bits.
std::optional<std::int32_t> ParsePageCount(QStringView text);

}  // namespace quorvel::catalogue
