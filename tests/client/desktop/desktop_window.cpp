#include "desktop_window.h"

#include <QTest>
#include <QTreeView>

#include "client/shell/addresses.h"
#include "client/shell/qt/components/style_sheet_skin.h"
#include "reply_text.h"

namespace quorvel::shell::testing {

std::string OrdinaryPage(std::string_view count) {
  const std::string links =
      "网通下载/*/http://dl.test/a.zip/**/电信下载/*/http://dl.test/b.zip/**/";
  return ListingReply(
      {{"西游大战僵尸2", "QQ飞车 自动漂移辅助 v2.3", "免费", "2014-06-30 09:59:43", links, "101"},
       {"穿越火线", "穿越火线 透视自瞄 稳定版", "VIP授权", "2014-07-01 18:20:05", links, "102"}},
      count, "3");
}

DesktopWindow::DesktopWindow(bool skinned) {
  if (skinned) {
    components_.skin_probe = [] {
      StyleSheetSkin().SkinH_AttachEx(u"" QUORVEL_SOURCE_DIR "/assets/Skin/Skin.she", u"");
    };
  }
  window_ = std::make_unique<Main>(components_,
                                   AddressesForHosts(u"list.test", u"site.test", u"partner.test"),
                                   QStringLiteral("/nonexistent/quorvel"));
}

DesktopWindow::~DesktopWindow() = default;

void DesktopWindow::StartAndChooseFirstRow() {
  components_.scripted.QueueReply(OrdinaryPage("42"));
  window_->StartUp();
  static_cast<void>(QTest::qWaitForWindowExposed(window_.get()));
  auto* list = window_->findChild<QTreeView*>();
  QTest::qWait(20);
  const QRect first = list->visualRect(list->model()->index(0, 1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first.center());
  QTest::qWait(20);
}

}  // namespace quorvel::shell::testing
