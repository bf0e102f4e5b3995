#include "progressbar/quick/progress_bar_item_accessible.h"

#include <QQuickWindow>

#include "progressbar/quick/progress_bar_item.h"

namespace quorvel::progressbar {

ProgressBarItemAccessible::ProgressBarItemAccessible(ProgressBarItem* item)
    : QAccessibleObject(item) {}

ProgressBarItem* ProgressBarItemAccessible::Item() const {
  return static_cast<ProgressBarItem*>(object());
}

// The item's place in the tree, as Qt Quick's items have it: the window
// stands for its content item.
QAccessibleInterface* ProgressBarItemAccessible::parent() const {
  QQuickItem* parent = Item()->parentItem();
  QQuickWindow* window = Item()->window();
  if (parent != nullptr && (window == nullptr || parent != window->contentItem())) {
    return QAccessible::queryAccessibleInterface(parent);
  }
  return window != nullptr ? QAccessible::queryAccessibleInterface(window) : nullptr;
}

QAccessibleInterface* ProgressBarItemAccessible::child(int) const { return nullptr; }

int ProgressBarItemAccessible::childCount() const { return 0; }

int ProgressBarItemAccessible::indexOfChild(const QAccessibleInterface*) const { return -1; }

QString ProgressBarItemAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Name) {
    const QString caption = Item()->Caption();
    return caption.isEmpty() ? Item()->objectName() : caption;
  }
  if (t == QAccessible::Value) return QString::number(Item()->Value());
  return {};
}

QAccessible::Role ProgressBarItemAccessible::role() const { return QAccessible::ProgressBar; }

QAccessible::State ProgressBarItemAccessible::state() const {
  QAccessible::State state;
  const QQuickWindow* window = Item()->window();
  if (!Item()->isVisible() || window == nullptr || !window->isVisible()) state.invisible = true;
  if (!Item()->isEnabled()) state.disabled = true;
  return state;
}

QRect ProgressBarItemAccessible::rect() const {
  const QQuickWindow* window = Item()->window();
  if (window == nullptr || !Item()->isVisible()) return {};
  const QPoint scene = Item()->mapToScene(QPointF(0, 0)).toPoint();
  return QRect(window->mapToGlobal(scene), QSizeF(Item()->width(), Item()->height()).toSize());
}

QWindow* ProgressBarItemAccessible::window() const { return Item()->window(); }

// A greyed bar shows no value to move, so it offers none, as the widget.
void* ProgressBarItemAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::ValueInterface) {
    return Item()->isEnabled() ? static_cast<QAccessibleValueInterface*>(this) : nullptr;
  }
  return QAccessibleObject::interface_cast(type);
}

QVariant ProgressBarItemAccessible::currentValue() const { return Item()->Value(); }

// The position is the program's to set, as with any progress indicator.
void ProgressBarItemAccessible::setCurrentValue(const QVariant&) {}

QVariant ProgressBarItemAccessible::maximumValue() const { return Item()->Max(); }

QVariant ProgressBarItemAccessible::minimumValue() const { return Item()->Min(); }

QVariant ProgressBarItemAccessible::minimumStepSize() const { return 0; }

QAccessibleInterface* ProgressBarItemAccessibleFactory(const QString& key, QObject* object) {
  auto* item = qobject_cast<ProgressBarItem*>(object);
  if (item == nullptr || key != QLatin1String(ProgressBarItem::staticMetaObject.className())) {
    return nullptr;
  }
  return new ProgressBarItemAccessible(item);
}

}  // namespace quorvel::progressbar
