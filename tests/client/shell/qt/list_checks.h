#pragma once

#include <QAbstractItemView>
#include <QScrollBar>
#include <QTest>

namespace quorvel::shell::testing {

// Whether the list shows a horizontal scroll bar once it has laid itself out,
// which it does when its event loop turns.
inline bool HorizontalScrollBarShown(const QAbstractItemView& list) {
  for (int i = 0; i < 5; ++i) QTest::qWait(5);
  return list.horizontalScrollBar()->isVisible();
}

}  // namespace quorvel::shell::testing
