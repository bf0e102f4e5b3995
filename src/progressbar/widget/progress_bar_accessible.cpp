#include "progressbar/widget/progress_bar_accessible.h"

#include <utility>

#include "progressbar/widget/progress_bar_widget.h"

namespace quorvel::progressbar {

ProgressBarAccessible::ProgressBarAccessible(ProgressBarWidget* widget)
    : QAccessibleWidget(widget, QAccessible::ProgressBar) {}

const ProgressBarWidget* ProgressBarAccessible::Bar() const {
  return static_cast<const ProgressBarWidget*>(object());
}

QString ProgressBarAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Name) {
    const QString caption = Bar()->CaptionText();
    return caption.isEmpty() ? Bar()->objectName() : caption;
  }
  if (t == QAccessible::Value) return QString::number(Bar()->Value());
  return QAccessibleWidget::text(t);
}

// Enabled is the bar's greyed look, not QWidget's: a greyed bar is
// reported disabled.
QAccessible::State ProgressBarAccessible::state() const {
  QAccessible::State state = QAccessibleWidget::state();
  if (!Bar()->Enabled()) state.disabled = true;
  return state;
}

// Bridges offer Increase and Decrease on everything with a value, and a
// screen reader may not set the position; a greyed bar shows no value to
// move, so it has none and offers nothing.
void* ProgressBarAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::ValueInterface) {
    return Bar()->Enabled() ? static_cast<QAccessibleValueInterface*>(this) : nullptr;
  }
  return QAccessibleWidget::interface_cast(type);
}

QVariant ProgressBarAccessible::currentValue() const { return Bar()->Value(); }

// The position is the program's to set, as with any progress indicator.
void ProgressBarAccessible::setCurrentValue(const QVariant&) {}

QVariant ProgressBarAccessible::maximumValue() const { return Bar()->Max(); }

QVariant ProgressBarAccessible::minimumValue() const { return Bar()->Min(); }

QVariant ProgressBarAccessible::minimumStepSize() const { return 0; }

namespace {
AccessibilityUpdate g_update = &QAccessible::updateAccessibility;
}  // namespace

AccessibilityUpdate ReplaceAccessibilityUpdate(AccessibilityUpdate update) {
  return std::exchange(g_update, update);
}

void SendAccessibilityUpdate(QAccessibleEvent* event) { g_update(event); }

QAccessibleInterface* ProgressBarAccessibleFactory(const QString& key, QObject* object) {
  auto* widget = qobject_cast<ProgressBarWidget*>(object);
  if (widget == nullptr || key != QLatin1String(ProgressBarWidget::staticMetaObject.className())) {
    return nullptr;
  }
  return new ProgressBarAccessible(widget);
}

}  // namespace quorvel::progressbar
