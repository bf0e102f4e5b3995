#include "client/shell/qt/window_font.h"

#include <QStringList>
#include <QWidget>

namespace quorvel::shell {

QFont WindowFont() {
  QFont font;
  // In the order of the package's font dependency and its alternatives.
  font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                    QStringLiteral("WenQuanYi Zen Hei")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(9);
  return font;
}

void SetWindowFont(QWidget& window) {
  const QFont font = WindowFont();
  window.setFont(font);
  for (QWidget* control : window.findChildren<QWidget*>()) {
    // Windows of their own (dialogs) follow the desktop; a control given a
    // font of its own keeps it.
    if (!control->isWindow() && !control->testAttribute(Qt::WA_SetFont)) control->setFont(font);
  }
}

}  // namespace quorvel::shell
