#include "client/shell/about_text.h"

#include <array>

namespace quorvel::shell {

std::u16string AboutText(const ShellAddresses& addresses) {
  const std::array<std::u16string, 8> lines{
      u"Quorvel由Brannoc开发,旗下网站",
      u"",
      u"Quorvel官网：" + addresses.product_site,
      u"Brannoc：" + addresses.maker_site,
      u"Brannoc论坛" + std::u16string(u"：") + addresses.forum_site,
      u"",
      u"您可以通过Quorvel或以上网站进行下载外挂",
      u"如有任何问题可以咨询我：" + std::u16string(u"QQ") + u"800012345",
  };
  std::u16string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += u"\r\n";
    text += lines[i];
  }
  return text;
}

}  // namespace quorvel::shell
