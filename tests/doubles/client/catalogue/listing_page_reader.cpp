#include "doubles/client/catalogue/listing_page_reader.h"

#include "client/catalogue/page_fill.h"

namespace quorvel::catalogue::testing {

ListingPage ReadListingPage(std::u16string_view text, const PageLoad& load) {
  ListingPage page;
  FakeListView list;
  list.SetLogging(false);
  FillRows(text, load.kind, list, page.list3);
  page.rows = list.rows();
  page.outcome = ConcludeLoad(text, load);
  return page;
}

}  // namespace quorvel::catalogue::testing
