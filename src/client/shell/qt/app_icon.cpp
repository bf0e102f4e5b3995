#include "client/shell/qt/app_icon.h"

#include <QFile>

static void InitShellResources() { Q_INIT_RESOURCE(shell); }

namespace quorvel::shell {

QIcon AppIcon() {
  InitShellResources();
  return QIcon(QStringLiteral(":/quorvel/quorvel.ico"));
}

}  // namespace quorvel::shell
