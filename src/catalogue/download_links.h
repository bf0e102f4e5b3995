#pragma once

#include <QStringList>
#include <QStringView>

namespace quorvel::catalogue {

inline constexpr std::u16string_view kLinkTerminator = u"/**/";
inline constexpr std::u16string_view kLinkSeparator = u"/*/";

// Link names and their addresses, line for line.
struct DownloadLinkLists {
  QStringList names;
  QStringList addresses;
};

// Splits a DownloadLinks field written as name "/*/" address "/**/" per link.
// Text after the last "/**/" is no link; anything after a second "/*/" in a
// link is ignored; a link without "/*/" has no address and is skipped, so the
// two lists always stay line for line.
DownloadLinkLists SplitDownloadLinks(QStringView links);

}  // namespace quorvel::catalogue
