#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reply_builder.h"

namespace quorvel::shell::testing {

using catalogue::testing::Fields;

// A listing reply as the service sends it, with the entry count and the page
// count in its trailer; fields in UTF-8.
inline std::string ListingReply(const std::vector<Fields>& records, std::string_view count,
                                std::string_view pages) {
  std::string trailer(count);
  trailer += '?';
  trailer += pages;
  return catalogue::testing::Reply(records, trailer);
}

// Twenty short rows on one page.
inline std::string TwentyRowReply() {
  std::vector<Fields> records;
  for (int i = 0; i < 20; ++i) {
    const std::string n = std::to_string(i);
    records.push_back({"c" + n, "t" + n, "free", "2014-06-30 09:59:43", "", n});
  }
  return ListingReply(records, "20", "1");
}

}  // namespace quorvel::shell::testing
