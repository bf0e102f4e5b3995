#include "catalogue/download_links.h"

namespace quorvel::catalogue {
namespace {

QStringView View(std::u16string_view text) {
  return QStringView(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

DownloadLinkLists SplitDownloadLinks(QStringView links) {
  const QStringView terminator = View(kLinkTerminator);
  const QStringView separator = View(kLinkSeparator);
  DownloadLinkLists lists;
  qsizetype start = 0;
  for (;;) {
    const qsizetype end = links.indexOf(terminator, start);
    if (end < 0) break;
    const QStringView link = links.sliced(start, end - start);
    start = end + terminator.size();
    const qsizetype name_end = link.indexOf(separator);
    if (name_end < 0) continue;
    const qsizetype address_start = name_end + separator.size();
    qsizetype address_end = link.indexOf(separator, address_start);
    if (address_end < 0) address_end = link.size();
    lists.names.append(link.first(name_end).toString());
    lists.addresses.append(link.sliced(address_start, address_end - address_start).toString());
  }
  return lists;
}

}  // namespace quorvel::catalogue
