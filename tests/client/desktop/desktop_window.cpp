#include "desktop_window.h"

#include <QTest>
#include <QTreeView>

#include "reply_text.h"
#include "client/shell/addresses.h"
#include "client/shell/qt/components/style_sheet_skin.h"

namespace quorvel::shell::testing {

QByteArray OrdinaryPage(const QString& count) {
  const QString links =
      QStringLiteral(u"网通下载/*/http://dl.test/a.zip/**/电信下载/*/http://dl.test/b.zip/**/");
  return ListingReply({{QStringLiteral(u"西游大战僵尸2"),
                        QStringLiteral(u"QQ飞车 自动漂移辅助 v2.3"), QStringLiteral(u"免费"),
                        QStringLiteral("2014-06-30 09:59:43"), links, QStringLiteral("101")},
                       {QStringLiteral(u"穿越火线"), QStringLiteral(u"穿越火线 透视自瞄 稳定版"),
                        QStringLiteral(u"VIP授权"), QStringLiteral("2014-07-01 18:20:05"), links,
                        QStringLiteral("102")}},
                      count, QStringLiteral("3"));
}

DesktopWindow::DesktopWindow(bool skinned) {
  if (skinned) {
    components_.skin_probe = [] {
      StyleSheetSkin().SkinH_AttachEx(QStringLiteral(QUORVEL_SOURCE_DIR "/assets/Skin/Skin.she"),
                                      QString());
    };
  }
  window_ = std::make_unique<Main>(
      components_,
      AddressesForHosts(QStringLiteral("list.test"), QStringLiteral("site.test"),
                        QStringLiteral("partner.test")),
      QStringLiteral("/nonexistent/quorvel"));
}

DesktopWindow::~DesktopWindow() = default;

void DesktopWindow::StartAndChooseFirstRow() {
  components_.scripted.QueueReply(OrdinaryPage(QStringLiteral("42")));
  window_->StartUp();
  static_cast<void>(QTest::qWaitForWindowExposed(window_.get()));
  auto* list = window_->findChild<QTreeView*>();
  QTest::qWait(20);
  const QRect first = list->visualRect(list->model()->index(0, 1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first.center());
  QTest::qWait(20);
}

}  // namespace quorvel::shell::testing
