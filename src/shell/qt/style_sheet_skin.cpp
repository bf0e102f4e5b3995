#include "shell/qt/style_sheet_skin.h"

#include <QApplication>
#include <QFile>

namespace quorvel::shell {

namespace {
// Far more than any sensible style sheet; a larger file is not a skin.
constexpr qint64 kMaxSkinBytes = 1 << 20;
}  // namespace

bool StyleSheetSkin::SkinH_AttachEx(const QString& skin_file, const QString& /*password*/) {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (app == nullptr) return false;
  QFile file(skin_file);
  if (!file.open(QIODevice::ReadOnly)) return false;
  if (file.size() > kMaxSkinBytes) return false;
  const QByteArray bytes = file.read(kMaxSkinBytes + 1);
  if (bytes.size() > kMaxSkinBytes || file.error() != QFileDevice::NoError) return false;
  const QString sheet = QString::fromUtf8(bytes);
  if (sheet.trimmed().isEmpty()) return false;
  app->setStyleSheet(sheet);
  return true;
}

}  // namespace quorvel::shell
