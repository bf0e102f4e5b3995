#include "client/shell/qt/components/web_engine_environment.h"

#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QtGlobal>

namespace quorvel::shell {

namespace {

bool HasRenderNode() {
  const QDir dri(QStringLiteral("/dev/dri"));
  return !dri.entryList({QStringLiteral("renderD*")}, QDir::System | QDir::Files).isEmpty();
}

void AddChromiumFlag(const QByteArray& flag) {
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (flags.split(' ').contains(flag)) return;
  if (!flags.isEmpty()) flags += ' ';
  flags += flag;
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

}  // namespace

void PrepareWebEngineEnvironment() {
  const bool as_root = geteuid() == 0;
  const bool has_gpu = HasRenderNode();
  if (as_root || !has_gpu) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    AddChromiumFlag("--disable-gpu");
  }
}

}  // namespace quorvel::shell
