// Reply bytes of any shape into a load of each kind: no crash, List3 one
// line per row, the counter and the page buttons always defined, and the
// link lists of a chosen row line for line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client/catalogue/browsing_session.h"
#include "client/catalogue/listing_page.h"
#include "client/catalogue/reply_text.h"
#include "doubles/client/catalogue/fake_list_view.h"
#include "doubles/client/catalogue/listing_page_reader.h"
#include "doubles/client/catalogue/recording_shell_open.h"
#include "doubles/client/catalogue/scripted_transfer.h"

namespace {

using namespace quorvel::catalogue;

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "listing page: %s\n", what);
    std::abort();
  }
}

const std::string kGoodReply =
    "a\x02"
    "b\x02"
    "c\x02"
    "d\x02"
    "n/*/http://x/**/\x02"
    "1\x01?TtbBa?1?9";

// The first byte picks the kind of load; the rest is the reply.
void RunSession(LoadKind kind, const std::string& reply) {
  testing::ScriptedTransfer transfer;
  testing::FakeListView list;
  list.SetLogging(false);
  testing::RecordingShellOpen shell;
  BrowsingSession session(transfer, list, shell, u"/tmp");
  session.SetServerUrl(u"http://127.0.0.1/adminphp/");
  PrepareListColumns(list);

  transfer.QueueReply(kind == LoadKind::kStartUp ? reply : kGoodReply);
  session.StartUpLoad();
  switch (kind) {
    case LoadKind::kStartUp:
      break;
    case LoadKind::kCategory:
      transfer.QueueReply(reply);
      session.CategoryClicked(1);
      break;
    case LoadKind::kSearch:
      transfer.QueueReply(reply);
      session.SearchClicked(u" C++ 穿越 ");
      break;
    case LoadKind::kPaging:
      transfer.QueueReply(kGoodReply);
      session.NextPage();
      transfer.QueueReply(reply);
      (reply.size() % 2 == 0) ? session.NextPage() : session.PreviousPage();
      break;
  }
  Check(list.rows().size() == session.List3().size(), "List3 out of step with the rows");
  Check(list.rejected_calls() == 0, "a row or cell call missed the list");
  Check(!session.CounterText().empty(), "counter text undefined");
  Check(session.PageNo() >= 1, "page number below 1");
  if (kind != LoadKind::kPaging) Check(!session.QianEnabled(), "Qian enabled on page 1");
  const int rows = static_cast<int>(list.rows().size());
  for (int row = -1; row < rows && row < 4; ++row) {
    session.RowChosen(row);
    Check(session.List1().size() == session.List2().size(), "link names and addresses apart");
    for (int line = 0; line < static_cast<int>(session.List1().size()); ++line) {
      session.LinkSelected(line);
    }
  }
}

void RunModel(LoadKind kind, const std::string& reply, std::uint8_t selector) {
  const std::u16string text = DecodeReply(reply);
  Check(text.size() <= reply.size(), "decoded text longer than the reply");
  PageLoad load;
  load.kind = kind;
  load.step = (selector & 0x10) ? PagingStep::kPrevious : PagingStep::kNext;
  load.page_no = 1 + (selector >> 5);
  const testing::ListingPage page = testing::ReadListingPage(text, load);
  Check(page.rows.size() == page.list3.size(), "List3 out of step");
  const bool stops_at_fault = kind == LoadKind::kCategory || kind == LoadKind::kSearch;
  if (!stops_at_fault) {
    Check(page.outcome.buttons.has_value(), "page buttons undefined");
  }
  if (kind == LoadKind::kPaging) Check(page.outcome.counter_text.has_value(), "paging counter");
  if (page.outcome.fault == ListingTrailer::Fault::kNone) {
    Check(page.outcome.counter_text.has_value() && page.outcome.buttons.has_value(),
          "a sound trailer left something undefined");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const auto kind = static_cast<LoadKind>(data[0] % 4);
  const std::string reply(reinterpret_cast<const char*>(data + 1), size - 1);
  RunModel(kind, reply, data[0]);
  RunSession(kind, reply);
  return 0;
}
