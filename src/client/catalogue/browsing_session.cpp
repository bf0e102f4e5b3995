#include "client/catalogue/browsing_session.h"

#include <limits>
#include <utility>

#include "client/catalogue/address_guard.h"
#include "client/catalogue/category_table.h"
#include "client/catalogue/page_fill.h"
#include "client/catalogue/reply_text.h"
#include "protocol/listing_reply_parser.h"
#include "protocol/listing_request_builder.h"

namespace quorvel::catalogue {
namespace {

QString FaultNotice(LoadKind kind, const PageOutcome& outcome) {
  using Fault = ListingTrailer::Fault;
  if (outcome.fault == Fault::kNone) return QString();
  const bool no_marker = outcome.fault == Fault::kNoMarker;
  switch (kind) {
    case LoadKind::kStartUp:
      return no_marker ? QStringLiteral("服务器的回复缺少结尾标记，外挂总数未知，翻页按钮已停用。")
                       : QStringLiteral("服务器的回复没有可读的页数，翻页按钮已停用。");
    case LoadKind::kCategory:
    case LoadKind::kSearch:
      return no_marker ? QStringLiteral("服务器的回复缺少结尾标记，外挂总数和翻页按钮没有更新。")
                       : QStringLiteral("服务器的回复没有可读的页数，翻页按钮没有更新。");
    case LoadKind::kPaging:
      return no_marker ? QStringLiteral("服务器的回复缺少结尾标记，计数和翻页按钮可能不准。")
                       : QStringLiteral("服务器的回复没有可读的页数，按 0 页处理。");
  }
  return QString();
}

// Characters of decoding buffer kept between loads (16 MB).
constexpr qsizetype kKeptTextCapacity = 8 * 1024 * 1024;

QString TransferReason(const TransferResult& result) {
  return result.reason.isEmpty() ? QStringLiteral("网络传输失败。") : result.reason;
}

}  // namespace

BrowsingSession::BrowsingSession(Transfer& transfer, ListView& list, ShellOpen& shell,
                                 QString program_folder)
    : transfer_(transfer), list_(list), shell_(shell), program_folder_(std::move(program_folder)) {}

void BrowsingSession::SetServerUrl(const QString& server_url) { server_url_ = server_url; }

void BrowsingSession::StartUpLoad() {
  notice_.clear();
  qian_enabled_ = false;
  hou_enabled_ = false;
  page_no_ = 1;
  script_name_ = ToQString(protocol::kUtf16<protocol::kScriptName>);
  PageLoad load;
  load.kind = LoadKind::kStartUp;
  LoadPage(ToQString(protocol::PagingQuery(1)), load, QStringLiteral("无法载入外挂列表："));
}

void BrowsingSession::CategoryClicked(int button_index) {
  notice_.clear();
  if (button_index < 0 || button_index >= static_cast<int>(kCategoryButtons.size())) {
    notice_ = QStringLiteral("没有这个分类按钮。");
    return;
  }
  const CategoryButton& button = kCategoryButtons[static_cast<std::size_t>(button_index)];
  const std::int32_t page_on_show = page_no_;
  page_no_ = 1;
  const QString suffix = ToQString(button.counter_suffix);
  PageLoad load;
  load.kind = LoadKind::kCategory;
  load.counter_suffix = suffix;
  const bool loaded = LoadPage(
      ToQString(protocol::FirstPageQuery(button.term)), load,
      QStringLiteral("无法载入“") + ToQString(button.caption) + QStringLiteral("”的外挂："));
  KeepPageOnShowUnless(loaded, page_on_show);
}

void BrowsingSession::SearchClicked(const QString& search_box_text) {
  notice_.clear();
  const std::int32_t page_on_show = page_no_;
  page_no_ = 1;
  PageLoad load;
  load.kind = LoadKind::kSearch;
  const bool loaded =
      LoadPage(ToQString(protocol::FirstPageQuery(View16(search_box_text))), load,
               QStringLiteral("搜索“") + ToQString(protocol::TrimSpaces(View16(search_box_text))) +
                   QStringLiteral("”失败："));
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
    notice_ = QStringLiteral("已经没有下一页了。");
    return;
  }
  // Only a failed load could leave Qian enabled on page 1; page 0 does not exist.
  if (step == PagingStep::kPrevious && page_on_show <= 1) {
    notice_ = QStringLiteral("已经是第一页了。");
    return;
  }
  page_no_ = step == PagingStep::kNext ? page_on_show + 1 : page_on_show - 1;
  PageLoad load;
  load.kind = LoadKind::kPaging;
  load.step = step;
  load.page_no = page_no_;
  const bool loaded = LoadPage(ToQString(protocol::PagingQuery(page_no_)), load,
                               QStringLiteral("无法载入第 ") + QString::number(page_no_) +
                                   QStringLiteral(" 页，列表保持不变："));
  // A page that never came must not count as shown: the next click would skip one.
  KeepPageOnShowUnless(loaded, page_on_show);
}

bool BrowsingSession::LoadPage(const QString& query, const PageLoad& load,
                               const QString& failure_lead) {
  TransferResult result = transfer_.OpenURL(server_url_ + script_name_ + query);
  if (!result.ok()) {
    notice_ = failure_lead + TransferReason(result);
    return false;
  }
  reply_bytes_ = std::move(result.body);
  DecodeReplyInto(reply_bytes_, reply_text_);
  const FillCount filled = FillRows(reply_text_, load.kind, list_, list3_);
  const PageOutcome outcome = ConcludeLoad(reply_text_, load);
  // The buffer is kept for the next page, unless a huge reply made it huge.
  if (reply_text_.capacity() > kKeptTextCapacity) reply_text_ = QString();
  if (outcome.counter_text) counter_text_ = *outcome.counter_text;
  if (outcome.buttons) {
    qian_enabled_ = outcome.buttons->qian_enabled;
    hou_enabled_ = outcome.buttons->hou_enabled;
  }
  notice_ = RowsLeftOutNotice(filled) + FaultNotice(load.kind, outcome);
  return true;
}

void BrowsingSession::RowChosen(int row) {
  notice_.clear();
  list1_.clear();
  list2_.clear();
  haun_cun_text_ = row >= 0 && row < list3_.size() ? list3_[row] : QString();
  for (const protocol::DownloadLink& link : protocol::SplitDownloadLinks(View16(haun_cun_text_))) {
    list1_.append(ToQString(link.name));
    list2_.append(ToQString(link.address));
  }
}

void BrowsingSession::LinkSelected(int line) {
  if (line < 0 || line >= list2_.size()) return;
  notice_.clear();
  const QString& address = list2_[line];
  const AddressCheck check = CheckOpenableAddress(address);
  if (!check.allowed) {
    notice_ = check.reason;
    return;
  }
  QString error;
  if (!shell_.Open(address, program_folder_, &error)) {
    notice_ = QStringLiteral("无法打开下载地址：") +
              (error.isEmpty() ? QStringLiteral("系统没有能打开它的程序。") : error);
  }
}

const QString& BrowsingSession::ServerUrl() const { return server_url_; }
const QString& BrowsingSession::ScriptName() const { return script_name_; }
std::int32_t BrowsingSession::PageNo() const { return page_no_; }
const QByteArray& BrowsingSession::ReplyBytes() const { return reply_bytes_; }
const QString& BrowsingSession::CounterText() const { return counter_text_; }
bool BrowsingSession::QianEnabled() const { return qian_enabled_; }
bool BrowsingSession::HouEnabled() const { return hou_enabled_; }
const QStringList& BrowsingSession::List1() const { return list1_; }
const QStringList& BrowsingSession::List2() const { return list2_; }
const QStringList& BrowsingSession::List3() const { return list3_; }
const QString& BrowsingSession::HaunCunText() const { return haun_cun_text_; }
const QString& BrowsingSession::Notice() const { return notice_; }

}  // namespace quorvel::catalogue
