#pragma once

#include <QStringList>
#include <QStringView>

#include <vector>

#include "client/catalogue/listing_page.h"

namespace quorvel::catalogue::testing {

// What one load shows, without any window: the rows with their cells (the
// columns the kind does not write stay empty), List3 and what the trailer sets.
struct ListingPage {
  std::vector<QStringList> rows;
  QStringList list3;
  PageOutcome outcome;
};

ListingPage ReadListingPage(QStringView text, const PageLoad& load);

}  // namespace quorvel::catalogue::testing
