#pragma once

#include <QAccessibleWidget>

namespace quorvel::progressbar {

class ProgressBarWidget;

// What a screen reader sees of a progress bar widget: role ProgressBar, the
// caption on show as its name (the object name when none shows) and Value
// within Min and Max as its value, which only the program can change.
class ProgressBarAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit ProgressBarAccessible(ProgressBarWidget* widget);

  QString text(QAccessible::Text t) const override;
  QAccessible::State state() const override;
  void* interface_cast(QAccessible::InterfaceType type) override;

  QVariant currentValue() const override;
  void setCurrentValue(const QVariant& value) override;
  QVariant maximumValue() const override;
  QVariant minimumValue() const override;
  QVariant minimumStepSize() const override;

 private:
  const ProgressBarWidget* Bar() const;
};

// The accessibility factory that makes the interface above for every
// ProgressBarWidget; ProgressBarWidget installs it once.
QAccessibleInterface* ProgressBarAccessibleFactory(const QString& key, QObject* object);

// Where the widgets send their accessibility events: QAccessible, which passes
// them on only while an assistive technology listens. Tests put a recorder in
// its place; the previous receiver is returned.
using AccessibilityUpdate = void (*)(QAccessibleEvent* event);
AccessibilityUpdate ReplaceAccessibilityUpdate(AccessibilityUpdate update);
// Sends `event` to the current receiver.
void SendAccessibilityUpdate(QAccessibleEvent* event);

}  // namespace quorvel::progressbar
