#include "client/shell/qt/components/style_sheet_skin.h"

#include <QApplication>
#include <QFile>
#include <QPalette>

namespace quorvel::shell {

namespace {
// Far more than any sensible style sheet; a larger file is not a skin.
constexpr qint64 kMaxSkinBytes = 1 << 20;
}  // namespace

QPalette StyleSheetSkin::SkinPalette() {
  // The sheet paints light grounds, so every colour that is drawn on them is
  // the skin's too: a dark desktop's light text would vanish on them.  Every
  // text colour here reads at 4.5 : 1 or more on the ground it is drawn on.
  const QColor ink(0x1f, 0x2a, 0x37);
  const QColor muted(0x5c, 0x66, 0x70);
  const QColor ground(0xf3, 0xf5, 0xf8);
  const QColor paper(0xff, 0xff, 0xff);
  const QColor button(0xee, 0xf1, 0xf5);
  const QColor highlight(0x32, 0x6c, 0xb3);
  QPalette palette(ink, button, paper, QColor(0x8a, 0x95, 0xa3), QColor(0xb7, 0xc2, 0xd0), ink,
                   paper, paper, ground);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::AlternateBase, QColor(0xf6, 0xf8, 0xfb));
    palette.setColor(group, QPalette::Highlight, highlight);
    palette.setColor(group, QPalette::HighlightedText, paper);
    palette.setColor(group, QPalette::ToolTipBase, QColor(0xff, 0xff, 0xe8));
    palette.setColor(group, QPalette::ToolTipText, ink);
    palette.setColor(group, QPalette::PlaceholderText, muted);
    palette.setColor(group, QPalette::Link, QColor(0x2c, 0x5d, 0x99));
    palette.setColor(group, QPalette::LinkVisited, QColor(0x6a, 0x3d, 0x99));
    palette.setColor(group, QPalette::BrightText, paper);
  }
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, muted);
  }
  return palette;
}

bool StyleSheetSkin::SkinH_AttachEx(std::u16string_view skin_file,
                                    std::u16string_view /*password*/) {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (app == nullptr) return false;
  QFile file(QStringView(skin_file).toString());
  if (!file.open(QIODevice::ReadOnly)) return false;
  if (file.size() > kMaxSkinBytes) return false;
  const QByteArray bytes = file.read(kMaxSkinBytes + 1);
  if (bytes.size() > kMaxSkinBytes || file.error() != QFileDevice::NoError) return false;
  const QString sheet = QString::fromUtf8(bytes);
  if (sheet.trimmed().isEmpty()) return false;
  QApplication::setPalette(SkinPalette());
  app->setStyleSheet(sheet);
  return true;
}

}  // namespace quorvel::shell
