#include "client/shell/about_text.h"

#include <QStringList>

namespace quorvel::shell {

QString AboutText(const ShellAddresses& addresses) {
  const QStringList lines{
      QStringLiteral(u"Quorvel由Brannoc开发,旗下网站"),
      QString(),
      QStringLiteral(u"Quorvel官网：") + addresses.product_site,
      QStringLiteral(u"Brannoc：") + addresses.maker_site,
      QStringLiteral(u"Brannoc论坛") + QStringLiteral(u"：") + addresses.forum_site,
      QString(),
      QStringLiteral(u"您可以通过Quorvel或以上网站进行下载外挂"),
      QStringLiteral(u"如有任何问题可以咨询我：") + QStringLiteral(u"QQ") +
          QStringLiteral(u"800012345"),
  };
  return lines.join(QStringLiteral("\r\n"));
}

}  // namespace quorvel::shell
