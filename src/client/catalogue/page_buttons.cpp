#include "client/catalogue/page_buttons.h"

namespace quorvel::catalogue {

PageButtons FirstPageButtons(std::int32_t page_count) {
  return {.qian_enabled = false, .hou_enabled = page_count != 0 && page_count != 1};
}

PageButtons ButtonsAfterNext(std::int32_t page_no, std::int32_t page_count) {
  return {.qian_enabled = true, .hou_enabled = page_no != page_count};
}

PageButtons ButtonsAfterPrevious(std::int32_t page_no) {
  return {.qian_enabled = page_no != 1, .hou_enabled = true};
}

}  // namespace quorvel::catalogue
