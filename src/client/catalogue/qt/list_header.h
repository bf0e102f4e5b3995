#pragma once

#include <QHeaderView>

namespace quorvel::catalogue {

// The list's column header.  A column of width 0 has no divider of its own
// that Qt lets the user grab, so the few pixels just right of a visible
// column's edge widen the zero-width columns that sit there.
class ListHeader : public QHeaderView {
  Q_OBJECT

 public:
  explicit ListHeader(QWidget* parent = nullptr);

  // The zero-width column that a press at `x` (viewport coordinates) widens,
  // or -1.  With several at one edge, the last one, as a divider pick would.
  int ZeroWidthSectionAt(int x) const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool NearSectionEdge(int x) const;

  int widening_ = -1;
  bool cursor_set_ = false;
};

}  // namespace quorvel::catalogue
