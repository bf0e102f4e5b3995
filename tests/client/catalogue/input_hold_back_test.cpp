#include "client/catalogue/curl/qt/input_hold_back.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace quorvel::catalogue {
namespace {

TEST(InputHoldBackTest, DropsInputAndLetsPaintingThrough) {
  QLineEdit edit;
  edit.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
  {
    InputHoldBack hold_back;
    QTest::keyClicks(&edit, "abc");
    QTest::mouseClick(&edit, Qt::LeftButton);
    EXPECT_GT(hold_back.dropped(), 0);
    EXPECT_TRUE(edit.text().isEmpty());
    // Nothing is queued to fire afterwards either.
    QCoreApplication::processEvents();
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(edit.text().isEmpty());
  QTest::keyClicks(&edit, "ok");
  EXPECT_EQ(edit.text(), "ok");
}

TEST(InputHoldBackTest, OnlyUserInputCounts) {
  for (const QEvent::Type type :
       {QEvent::MouseButtonPress, QEvent::KeyPress, QEvent::Wheel, QEvent::MouseButtonDblClick,
        QEvent::ContextMenu, QEvent::Shortcut, QEvent::TouchBegin}) {
    EXPECT_TRUE(InputHoldBack::IsUserInput(type)) << type;
  }
  for (const QEvent::Type type :
       {QEvent::Paint, QEvent::UpdateRequest, QEvent::Resize, QEvent::Timer, QEvent::Expose,
        QEvent::Show, QEvent::MetaCall, QEvent::DeferredDelete, QEvent::LayoutRequest}) {
    EXPECT_FALSE(InputHoldBack::IsUserInput(type)) << type;
  }
}

}  // namespace
}  // namespace quorvel::catalogue
