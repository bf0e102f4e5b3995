#include "client/catalogue/curl/qt/input_hold_back.h"

#include <QCoreApplication>
#include <QEvent>

namespace quorvel::catalogue {

InputHoldBack::InputHoldBack() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

InputHoldBack::~InputHoldBack() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool InputHoldBack::IsUserInput(int event_type) {
  switch (static_cast<QEvent::Type>(event_type)) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::Gesture:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

bool InputHoldBack::eventFilter(QObject* watched, QEvent* event) {
  if (IsUserInput(event->type())) {
    ++dropped_;
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace quorvel::catalogue
