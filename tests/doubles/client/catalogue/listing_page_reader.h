#pragma once

#include <string_view>
#include <vector>

#include "client/catalogue/listing_page.h"
#include "doubles/client/catalogue/fake_list_view.h"

namespace quorvel::catalogue::testing {

// What one load shows, without any window: the rows with their cells (the
// columns the kind does not write stay empty), List3 and what the trailer sets.
struct ListingPage {
  std::vector<Lines> rows;
  Lines list3;
  PageOutcome outcome;
};

ListingPage ReadListingPage(std::u16string_view text, const PageLoad& load);

}  // namespace quorvel::catalogue::testing
