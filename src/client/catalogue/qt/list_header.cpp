#include "client/catalogue/qt/list_header.h"

#include <QMouseEvent>
#include <QStyle>

#include <algorithm>

namespace quorvel::catalogue {

ListHeader::ListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
  setDefaultAlignment(Qt::AlignCenter);
  setMouseTracking(true);
}

int ListHeader::ZeroWidthSectionAt(int x) const {
  const int grip = std::max(2, style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this));
  int found = -1;
  for (int visual = 0; visual < count(); ++visual) {
    const int logical = logicalIndex(visual);
    if (isSectionHidden(logical) || sectionSize(logical) != 0) continue;
    const int edge = sectionViewportPosition(logical);
    if (x > edge && x <= edge + grip) found = logical;
  }
  return found;
}

void ListHeader::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    widening_ = ZeroWidthSectionAt(event->position().toPoint().x());
    if (widening_ >= 0) {
      event->accept();
      return;
    }
  }
  QHeaderView::mousePressEvent(event);
}

void ListHeader::mouseMoveEvent(QMouseEvent* event) {
  const int x = event->position().toPoint().x();
  if (widening_ >= 0) {
    resizeSection(widening_, std::max(0, x - sectionViewportPosition(widening_)));
    event->accept();
    return;
  }
  QHeaderView::mouseMoveEvent(event);
  if (event->buttons() != Qt::NoButton) return;
  if (ZeroWidthSectionAt(x) >= 0) {
    setCursor(Qt::SplitHCursor);
    cursor_set_ = true;
  } else if (cursor_set_ && !NearSectionEdge(x)) {
    // Away from every divider: the cursor this header set goes.
    unsetCursor();
    cursor_set_ = false;
  }
}

bool ListHeader::NearSectionEdge(int x) const {
  const int grip = std::max(2, style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this));
  for (int logical = 0; logical < count(); ++logical) {
    if (isSectionHidden(logical)) continue;
    const int edge = sectionViewportPosition(logical) + sectionSize(logical);
    if (x >= edge - grip && x <= edge + grip) return true;
  }
  return false;
}

void ListHeader::mouseReleaseEvent(QMouseEvent* event) {
  if (widening_ >= 0) {
    widening_ = -1;
    event->accept();
    return;
  }
  QHeaderView::mouseReleaseEvent(event);
}

}  // namespace quorvel::catalogue
