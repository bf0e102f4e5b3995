#pragma once

#include <QAccessibleWidget>

class QWidget;

namespace quorvel::shell {

// Keeps `widget` and everything in it out of what assistive technology sees
// of its window: the stores the user is not meant to read and the players
// that lie beyond the window's edge.  The widget keeps working.
void HideFromAssistiveTechnology(QWidget* widget);

// Screen readers see each of the program's two windows as a frame named by
// its caption, holding its controls less the hidden ones.  Made for every
// widget marked with MarkAsProgramWindow.
class WindowAccessible final : public QAccessibleWidget {
 public:
  explicit WindowAccessible(QWidget* window);

  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;

 private:
  QList<QWidget*> ExposedChildren() const;
};

// Gives `window` the accessibility above.
void MarkAsProgramWindow(QWidget* window);

// The entry counter: a status line whose every new count a screen reader is
// told of (as an announcement where the Qt version has them).
class CounterAccessible final : public QAccessibleWidget {
 public:
  explicit CounterAccessible(QWidget* label);
  QString text(QAccessible::Text t) const override;
};

// Gives `label` the accessibility above; AnnounceCount tells of its new text.
void MarkAsCounter(QWidget* label);
void AnnounceCount(QWidget* label, const QString& text);

}  // namespace quorvel::shell
