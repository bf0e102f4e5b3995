#pragma once

// The client's side of a listing reply: the decoded text taken apart without
// copying.  Records, fields, the trailer and the links are views into the
// text, which must outlive them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "protocol/wire_format.h"

namespace quorvel::protocol {

// Fields a record does not have are empty; fields past the sixth are dropped.
struct RecordFields {
  std::array<std::u16string_view, kRecordFieldCount> field;
};

// Index of the first record or field separator at or after `from`, or `size`.
std::size_t FindSeparator(const char16_t* text, std::size_t from, std::size_t size);

// Calls `visit(const RecordFields&)` for every record, in order, in one pass
// over the text.  The piece after the last record separator holds the
// trailer and is never a record; an empty piece (two separators in a row) is
// no record either.
template <typename Visit>
void ForEachRecord(std::u16string_view text, Visit&& visit) {
  const char16_t* const data = text.data();
  const std::size_t size = text.size();
  RecordFields fields;
  std::size_t record_start = 0;
  std::size_t field_start = 0;
  int field = 0;
  for (;;) {
    const std::size_t at = FindSeparator(data, field_start, size);
    if (at == size) return;
    if (field < kRecordFieldCount) fields.field[field] = {data + field_start, at - field_start};
    ++field;
    if (data[at] == kUtf16<kRecordSeparator>[0]) {
      if (at > record_start) {
        for (int f = field; f < kRecordFieldCount; ++f) fields.field[f] = {};
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
  std::u16string_view entry_count;
  std::u16string_view page_count_text;
  std::int32_t page_count = 0;  // 0 when missing or unreadable
};

// Reads the trailer after the marker "?TtbBa?".  Without a marker, a reply
// read with `whole_text_without_marker` is split at "?" as a whole (what the
// paging loads have always done); otherwise the counter stays undefined.
ListingTrailer ReadTrailer(std::u16string_view text, bool whole_text_without_marker);

// The page count read as the ordinary text-to-number conversion reads it:
// blanks around, an optional sign, decimal digits with an optional fraction
// (rounded half to even) and exponent, or an "&H" / "&O" form.  Empty when it
// is no number or lies outside 32 bits.
std::optional<std::int32_t> ParsePageCount(std::u16string_view text);

struct DownloadLink {
  std::u16string_view name;
  std::u16string_view address;
  bool operator==(const DownloadLink&) const = default;
};

// Splits a DownloadLinks field written as name "/*/" address "/**/" per link.
// Text after the last "/**/" is no link; anything after a second "/*/" in a
// link is ignored; a link without "/*/" has no address and is skipped, so
// names and addresses always stay line for line.
std::vector<DownloadLink> SplitDownloadLinks(std::u16string_view links);

}  // namespace quorvel::protocol
