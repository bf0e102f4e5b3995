#include "shell/window_font.h"

#include <QStringList>

namespace quorvel::shell {

QFont WindowFont() {
  QFont font;
  font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(9);
  return font;
}

}  // namespace quorvel::shell
