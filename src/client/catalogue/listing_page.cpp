#include "client/catalogue/listing_page.h"

namespace quorvel::catalogue {
namespace {

QString CounterText(const PageLoad& load, QStringView entry_count) {
  const LoadKindRules& rules = RulesFor(load.kind);
  const QStringView suffix = load.counter_suffix.isEmpty()
                                 ? QStringView(rules.counter_suffix.data(),
                                               static_cast<qsizetype>(rules.counter_suffix.size()))
                                 : load.counter_suffix;
  QString text = ToQString(rules.counter_prefix);
  text.reserve(text.size() + entry_count.size() + suffix.size());
  text.append(entry_count);
  text.append(suffix);
  return text;
}

}  // namespace

PageOutcome ConcludeLoad(QStringView text, const PageLoad& load) {
  PageOutcome outcome;
  const bool paging = load.kind == LoadKind::kPaging;
  const ListingTrailer trailer =
      protocol::ReadTrailer(View16(text), /*whole_text_without_marker=*/paging);
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
