#include "client/catalogue/browsing_session.h"

#include <limits>
#include <utility>

#include "client/catalogue/address_guard.h"
#include "client/catalogue/category_table.h"
#include "client/catalogue/page_fill.h"
#include "client/catalogue/reply_text.h"
#include "client/catalogue/text16.h"
#include "protocol/listing_reply_parser.h"
#include "protocol/listing_request_builder.h"

namespace quorvel::catalogue {
namespace {

std::u16string_view FaultNotice(LoadKind kind, const PageOutcome& outcome) {
  using Fault = ListingTrailer::Fault;
  if (outcome.fault == Fault::kNone) return {};
  const bool no_marker = outcome.fault == Fault::kNoMarker;
  switch (kind) {
    case LoadKind::kStartUp:
      return no_marker ? u"服务器的回复缺少结尾标记，外挂总数未知，翻页按钮已停用。"
                       : u"服务器的回复没有可读的页数，翻页按钮已停用。";
    case LoadKind::kCategory:
    case LoadKind::kSearch:
      return no_marker ? u"服务器的回复缺少结尾标记，外挂总数和翻页按钮没有更新。"
                       : u"服务器的回复没有可读的页数，翻页按钮没有更新。";
    case LoadKind::kPaging:
      return no_marker ? u"服务器的回复缺少结尾标记，计数和翻页按钮可能不准。"
                       : u"服务器的回复没有可读的页数，按 0 页处理。";
  }
  return {};
}

// Characters of decoding buffer kept between loads (16 MB).
constexpr std::size_t kKeptTextCapacity = 8 * 1024 * 1024;

std::u16string_view TransferReason(const TransferResult& result) {
  return result.reason.empty() ? std::u16string_view(u"网络传输失败。") : result.reason;
}

}  // namespace

BrowsingSession::BrowsingSession(Transfer& transfer, ListView& list, ShellOpen& shell,
                                 std::u16string program_folder)
    : transfer_(transfer), list_(list), shell_(shell), program_folder_(std::move(program_folder)) {}

void BrowsingSession::SetServerUrl(std::u16string_view server_url) { server_url_ = server_url; }

void BrowsingSession::StartUpLoad() {
  notice_.clear();
  qian_enabled_ = false;
  hou_enabled_ = false;
  page_no_ = 1;
  script_name_ = protocol::kUtf16<protocol::kScriptName>;
  PageLoad load;
  load.kind = LoadKind::kStartUp;
  LoadPage(protocol::PagingQuery(1), load, u"无法载入外挂列表：");
}

void BrowsingSession::CategoryClicked(int button_index) {
  notice_.clear();
  if (button_index < 0 || button_index >= static_cast<int>(kCategoryButtons.size())) {
    notice_ = u"没有这个分类按钮。";
    return;
  }
  const CategoryButton& button = kCategoryButtons[static_cast<std::size_t>(button_index)];
  const std::int32_t page_on_show = page_no_;
  page_no_ = 1;
  PageLoad load;
  load.kind = LoadKind::kCategory;
  load.counter_suffix = button.counter_suffix;
  const bool loaded = LoadPage(protocol::FirstPageQuery(button.term), load,
                               u"无法载入“" + std::u16string(button.caption) + u"”的外挂：");
  KeepPageOnShowUnless(loaded, page_on_show);
}

void BrowsingSession::SearchClicked(std::u16string_view search_box_text) {
  notice_.clear();
  const std::int32_t page_on_show = page_no_;
  page_no_ = 1;
  PageLoad load;
  load.kind = LoadKind::kSearch;
  const bool loaded =
      LoadPage(protocol::FirstPageQuery(search_box_text), load,
               u"搜索“" + std::u16string(protocol::TrimSpaces(search_box_text)) + u"”失败：");
  KeepPageOnShowUnless(loaded, page_on_show);
}

void BrowsingSession::KeepPageOnShowUnless(bool loaded, std::int32_t page_on_show) {
  // A fetch that failed changed nothing on screen: the buttons still belong
  // to the page on show, and paging must go on from it.
  if (!loaded) page_no_ = page_on_show;
}

void BrowsingSession::NextPage() { Step(PagingStep::kNext); }

void BrowsingSession::PreviousPage() { Step(PagingStep::kPrevious); }

void BrowsingSession::Step(PagingStep step) {
  notice_.clear();
  const std::int32_t page_on_show = page_no_;
  if (step == PagingStep::kNext && page_on_show == std::numeric_limits<std::int32_t>::max()) {
    notice_ = u"已经没有下一页了。";
    return;
  }
  // Only a failed load could leave Qian enabled on page 1; page 0 does not exist.
  if (step == PagingStep::kPrevious && page_on_show <= 1) {
    notice_ = u"已经是第一页了。";
    return;
  }
  page_no_ = step == PagingStep::kNext ? page_on_show + 1 : page_on_show - 1;
  PageLoad load;
  load.kind = LoadKind::kPaging;
  load.step = step;
  load.page_no = page_no_;
  const bool loaded = LoadPage(protocol::PagingQuery(page_no_), load,
                               u"无法载入第 " + Decimal(page_no_) + u" 页，列表保持不变：");
  // A page that never came must not count as shown: the next click would skip one.
  KeepPageOnShowUnless(loaded, page_on_show);
}

bool BrowsingSession::LoadPage(std::u16string_view query, const PageLoad& load,
                               std::u16string_view failure_lead) {
  std::u16string address;
  address.reserve(server_url_.size() + script_name_.size() + query.size());
  address.append(server_url_).append(script_name_).append(query);
  TransferResult result = transfer_.OpenURL(address);
  if (!result.ok()) {
    notice_.assign(failure_lead).append(TransferReason(result));
    return false;
  }
  reply_bytes_ = std::move(result.body);
  const std::u16string_view text = reply_text_.Decode(reply_bytes_);
  const FillCount filled = FillRows(text, load.kind, list_, list3_);
  PageOutcome outcome = ConcludeLoad(text, load);
  // The buffer is kept for the next page, unless a huge reply made it huge.
  if (reply_text_.capacity() > kKeptTextCapacity) reply_text_.Release();
  if (outcome.counter_text) counter_text_ = std::move(*outcome.counter_text);
  if (outcome.buttons) {
    qian_enabled_ = outcome.buttons->qian_enabled;
    hou_enabled_ = outcome.buttons->hou_enabled;
  }
  notice_ = RowsLeftOutNotice(filled);
  notice_.append(FaultNotice(load.kind, outcome));
  return true;
}

void BrowsingSession::RowChosen(int row) {
  notice_.clear();
  list1_.clear();
  list2_.clear();
  haun_cun_text_ = row >= 0 && static_cast<std::size_t>(row) < list3_.size()
                       ? list3_[static_cast<std::size_t>(row)]
                       : std::u16string();
  for (const protocol::DownloadLink& link : protocol::SplitDownloadLinks(haun_cun_text_)) {
    list1_.emplace_back(link.name);
    list2_.emplace_back(link.address);
  }
}

void BrowsingSession::LinkSelected(int line) {
  if (line < 0 || static_cast<std::size_t>(line) >= list2_.size()) return;
  notice_.clear();
  const std::u16string& address = list2_[static_cast<std::size_t>(line)];
  AddressCheck check = CheckOpenableAddress(address);
  if (!check.allowed) {
    notice_ = std::move(check.reason);
    return;
  }
  std::u16string error;
  if (!shell_.Open(address, program_folder_, &error)) {
    notice_ = u"无法打开下载地址：";
    notice_.append(error.empty() ? std::u16string_view(u"系统没有能打开它的程序。") : error);
  }
}

const std::u16string& BrowsingSession::ServerUrl() const { return server_url_; }
const std::u16string& BrowsingSession::ScriptName() const { return script_name_; }
std::int32_t BrowsingSession::PageNo() const { return page_no_; }
const std::string& BrowsingSession::ReplyBytes() const { return reply_bytes_; }
const std::u16string& BrowsingSession::CounterText() const { return counter_text_; }
bool BrowsingSession::QianEnabled() const { return qian_enabled_; }
bool BrowsingSession::HouEnabled() const { return hou_enabled_; }
const BrowsingSession::Lines& BrowsingSession::List1() const { return list1_; }
const BrowsingSession::Lines& BrowsingSession::List2() const { return list2_; }
const BrowsingSession::Lines& BrowsingSession::List3() const { return list3_; }
const std::u16string& BrowsingSession::HaunCunText() const { return haun_cun_text_; }
const std::u16string& BrowsingSession::Notice() const { return notice_; }

}  // namespace quorvel::catalogue
