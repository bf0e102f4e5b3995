#pragma once

#include <QAccessibleObject>
#include <QAccessibleValueInterface>

namespace quorvel::progressbar {

class ProgressBarItem;

// What a screen reader sees of a progress bar item, as of the widget: role
// ProgressBar, the caption on show as its name (the object name when none
// shows), and value within min and max, which only the program can change. Qt
// Quick's own interface of an item offers no value for a progress bar in every
// Qt 6 release, so the item brings its own.
class ProgressBarItemAccessible final : public QAccessibleObject, public QAccessibleValueInterface {
 public:
  explicit ProgressBarItemAccessible(ProgressBarItem* item);

  QAccessibleInterface* parent() const override;
  QAccessibleInterface* child(int index) const override;
  int childCount() const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QString text(QAccessible::Text t) const override;
  QAccessible::Role role() const override;
  QAccessible::State state() const override;
  QRect rect() const override;
  QWindow* window() const override;
  void* interface_cast(QAccessible::InterfaceType type) override;

  QVariant currentValue() const override;
  void setCurrentValue(const QVariant& value) override;
  QVariant maximumValue() const override;
  QVariant minimumValue() const override;
  QVariant minimumStepSize() const override;

 private:
  ProgressBarItem* Item() const;
};

// The accessibility factory that makes the interface above for every
// ProgressBarItem; ProgressBarItem installs it once.
QAccessibleInterface* ProgressBarItemAccessibleFactory(const QString& key, QObject* object);

}  // namespace quorvel::progressbar
