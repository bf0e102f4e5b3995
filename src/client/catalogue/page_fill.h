#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "client/catalogue/components.h"
#include "client/catalogue/listing_service.h"

namespace quorvel::catalogue {

// Rows listed from one reply at most.  A reply within the transfer's limit
// can hold tens of millions of tiny records, and every row costs the list
// and List3 far more than its bytes cost the reply; a million rows keeps the
// client within a small multiple of the reply, and is more than anyone
// scrolls through.
inline constexpr std::int64_t kMaxListedRows = 1'000'000;

// Clears `list` and `list3`, then adds one row per record of `text`: AddRow
// at RowCount with the Category field, SetCell for each column of the kind
// on row RowCount - 1 read back before every cell, and the DownloadLinks
// field appended to `list3` where the kind puts it.  A missing field is empty
// text, so `list3` always holds one line per row added.
//
// The texts handed to the list are views into `text`: no cell is copied on
// the way to the list.
//
// Only the first `max_rows` records become rows (and lines of `list3`); the
// rest are counted.
struct FillCount {
  std::int64_t records = 0;  // in the reply
  std::int64_t listed = 0;   // rows added
};
FillCount FillRows(std::u16string_view text, LoadKind kind, ListView& list,
                   std::vector<std::u16string>& list3, std::int64_t max_rows = kMaxListedRows);

// The sentence that tells the user a page had more records than were listed;
// empty when all were.
std::u16string RowsLeftOutNotice(const FillCount& count);

}  // namespace quorvel::catalogue
