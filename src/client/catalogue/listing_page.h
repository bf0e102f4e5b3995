#pragma once

// How one load ends, worked out from the decoded reply alone: the counter
// text and the page buttons.  The rows are FillRows' (page_fill.h).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "client/catalogue/listing_service.h"
#include "client/catalogue/page_buttons.h"
#include "protocol/listing_reply_parser.h"

namespace quorvel::catalogue {

using protocol::ListingTrailer;

enum class PagingStep { kNext, kPrevious };

struct PageLoad {
  LoadKind kind = LoadKind::kStartUp;
  // Used instead of the kind's own suffix when not empty: each category
  // button names its result its own way.
  std::u16string_view counter_suffix;
  // Paging only: which button, and the page number after the step.
  PagingStep step = PagingStep::kNext;
  std::int32_t page_no = 1;
};

// The end of a load, after the rows: what the trailer sets.  An empty
// optional leaves the counter or the buttons as they were.
struct PageOutcome {
  ListingTrailer::Fault fault = ListingTrailer::Fault::kNone;
  std::optional<std::u16string> counter_text;
  std::int32_t page_count = 0;
  std::optional<PageButtons> buttons;
};

// The start-up load disables both buttons when the trailer is missing and
// reads an unreadable page count as 0; paging reads a reply without marker as
// a whole; category and search stop at a faulty trailer, so the counter (no
// marker) or the buttons (no readable page count) keep what they showed.
PageOutcome ConcludeLoad(std::u16string_view text, const PageLoad& load);

}  // namespace quorvel::catalogue
