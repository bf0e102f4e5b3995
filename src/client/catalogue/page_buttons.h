#pragma once

#include <cstdint>

namespace quorvel::catalogue {

struct PageButtons {
  bool qian_enabled = false;  // previous page
  bool hou_enabled = false;   // next page
  bool operator==(const PageButtons&) const = default;
};

// After the start-up, a category or a search, all showing page 1.
PageButtons FirstPageButtons(std::int32_t page_count);
// The tests are equality on purpose: a page past the count leaves Hou enabled.
PageButtons ButtonsAfterNext(std::int32_t page_no, std::int32_t page_count);
PageButtons ButtonsAfterPrevious(std::int32_t page_no);

}  // namespace quorvel::catalogue
