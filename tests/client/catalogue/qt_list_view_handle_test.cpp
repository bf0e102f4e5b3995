// The window's handle on the Qt list view: the host owns the widget, the
// handle only reaches it, and either may go first.

#include "client/catalogue/qt/qt_list_view_handle.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

#include "client/catalogue/qt/qt_list_view.h"

namespace quorvel::catalogue {
namespace {

class QtListViewOwnership : public ::testing::Test {
 protected:
  static void Fill(ListView& list) {
    list.PrepareView();
    list.AddColumn(0, u"a", 90);
    list.AddColumn(1, u"b", 200);
    list.ApplyDisplaySettings();
    list.AddRow(list.RowCount(), u"r0");
    list.SetCell(list.RowCount() - 1, 1, u"c1");
  }
};

TEST_F(QtListViewOwnership, TheHostOwnsTheWidgetTheHandleReachesIt) {
  QWidget host;
  host.resize(300, 200);
  std::unique_ptr<ListView> list = MakeQtListView(&host);
  Fill(*list);
  auto* view = host.findChild<QtListView*>();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->parentWidget(), &host);
  EXPECT_EQ(list->RowCount(), 1);
  EXPECT_EQ(view->table()->CellText(0, 1), u"c1");
}

TEST_F(QtListViewOwnership, TheHostMayGoFirst) {
  auto* host = new QWidget;
  std::unique_ptr<ListView> list = MakeQtListView(host);
  Fill(*list);
  delete host;
  // The widget went with its host; the handle is harmless and goes alone.
  EXPECT_EQ(list->RowCount(), 0);
  list->ClearRows();
  list->AddRow(0, u"late");
  list->SetCell(0, 1, u"late");
  list->SetRowChosenHandler([](int) {});
  list.reset();
}

TEST_F(QtListViewOwnership, TheHandleMayGoFirstAndThenNothingIsRaised) {
  QWidget host;
  host.resize(300, 200);
  std::unique_ptr<ListView> list = MakeQtListView(&host);
  Fill(*list);
  int chosen = 0;
  list->SetRowChosenHandler([&](int) { ++chosen; });
  auto* view = host.findChild<QtListView*>();
  ASSERT_NE(view, nullptr);
  host.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
  view->CommitPendingRows();
  const QPoint row = view->visualRect(view->table()->index(0, 1)).center();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, row);
  EXPECT_EQ(chosen, 1);

  list.reset();
  // The widget stays with its host, and no longer calls into its old owner.
  ASSERT_EQ(host.findChild<QtListView*>(), view);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, row);
  EXPECT_EQ(chosen, 1);
}

}  // namespace
}  // namespace quorvel::catalogue
