#include "client/shell/qt/window_accessible.h"

#include <QAccessible>
#include <QLabel>
#include <QWidget>

namespace quorvel::shell {

namespace {

// Dynamic properties rather than classes of our own: the windows and the
// counter stay plain Qt widgets.
constexpr char kHidden[] = "quorvel_hidden_from_assistive_technology";
constexpr char kWindow[] = "quorvel_program_window";
constexpr char kCounter[] = "quorvel_counter";

QAccessibleInterface* Factory(const QString& key, QObject* object) {
  if (key != QLatin1String("QWidget") && key != QLatin1String("QLabel")) return nullptr;
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr) return nullptr;
  if (widget->property(kWindow).toBool()) return new WindowAccessible(widget);
  if (widget->property(kCounter).toBool()) return new CounterAccessible(widget);
  return nullptr;
}

void InstallFactoryOnce() {
  static const bool installed = [] {
    QAccessible::installFactory(&Factory);
    return true;
  }();
  static_cast<void>(installed);
}

}  // namespace

void HideFromAssistiveTechnology(QWidget* widget) { widget->setProperty(kHidden, true); }

void MarkAsProgramWindow(QWidget* window) {
  InstallFactoryOnce();
  window->setProperty(kWindow, true);
}

void MarkAsCounter(QWidget* label) {
  InstallFactoryOnce();
  label->setProperty(kCounter, true);
}

void AnnounceCount(QWidget* label, const QString& text) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  QAccessibleAnnouncementEvent event(label, text);
  QAccessible::updateAccessibility(&event);
#else
  // Without announcements a status line's new name is what a screen reader
  // is given; QLabel sends it itself.
  static_cast<void>(label);
  static_cast<void>(text);
#endif
}

WindowAccessible::WindowAccessible(QWidget* window)
    : QAccessibleWidget(window, QAccessible::Window) {}

QList<QWidget*> WindowAccessible::ExposedChildren() const {
  QList<QWidget*> exposed;
  for (QObject* object : widget()->children()) {
    auto* child = qobject_cast<QWidget*>(object);
    if (child == nullptr || child->isWindow() || child->property(kHidden).toBool()) continue;
    exposed.append(child);
  }
  return exposed;
}

int WindowAccessible::childCount() const { return int(ExposedChildren().size()); }

QAccessibleInterface* WindowAccessible::child(int index) const {
  const QList<QWidget*> exposed = ExposedChildren();
  if (index < 0 || index >= exposed.size()) return nullptr;
  return QAccessible::queryAccessibleInterface(exposed[index]);
}

int WindowAccessible::indexOfChild(const QAccessibleInterface* child) const {
  if (child == nullptr) return -1;
  return int(ExposedChildren().indexOf(qobject_cast<QWidget*>(child->object())));
}

CounterAccessible::CounterAccessible(QWidget* label)
    : QAccessibleWidget(label, QAccessible::StatusBar) {}

QString CounterAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Name) {
    if (const auto* label = qobject_cast<const QLabel*>(widget()); label != nullptr) {
      return label->text();
    }
  }
  return QAccessibleWidget::text(t);
}

}  // namespace quorvel::shell
