#include "client/catalogue/listing_page.h"

namespace quorvel::catalogue {
namespace {

std::u16string CounterText(const PageLoad& load, std::u16string_view entry_count) {
  const LoadKindRules& rules = RulesFor(load.kind);
  const std::u16string_view suffix =
      load.counter_suffix.empty() ? rules.counter_suffix : load.counter_suffix;
  std::u16string text;
  text.reserve(rules.counter_prefix.size() + entry_count.size() + suffix.size());
  text.append(rules.counter_prefix);
  text.append(entry_count);
  text.append(suffix);
  return text;
}

}  // namespace

PageOutcome ConcludeLoad(std::u16string_view text, const PageLoad& load) {
  PageOutcome outcome;
  const bool paging = load.kind == LoadKind::kPaging;
  const ListingTrailer trailer = protocol::ReadTrailer(text, /*whole_text_without_marker=*/paging);
  outcome.fault = trailer.fault;
  outcome.page_count = trailer.page_count;
  if (trailer.counter_defined) outcome.counter_text = CounterText(load, trailer.entry_count);
  switch (load.kind) {
    case LoadKind::kStartUp:
      outcome.buttons = FirstPageButtons(trailer.page_count);
      break;
    case LoadKind::kCategory:
    case LoadKind::kSearch:
      if (trailer.fault == ListingTrailer::Fault::kNone) {
        outcome.buttons = FirstPageButtons(trailer.page_count);
      }
      break;
    case LoadKind::kPaging:
      outcome.buttons = load.step == PagingStep::kNext
                            ? ButtonsAfterNext(load.page_no, trailer.page_count)
                            : ButtonsAfterPrevious(load.page_no);
      break;
  }
  return outcome;
}

}  // namespace quorvel::catalogue
