#include "shell/window_font.h"

#include <QStringList>

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

}  // namespace quorvel::shell
