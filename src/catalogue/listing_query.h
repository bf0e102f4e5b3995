#pragma once

// The text that follows the script name in a request address.

#include <QString>
#include <QStringView>

#include <cstdint>

namespace quorvel::catalogue {

// Only U+0020 is removed, at both ends: other white space and inner spaces stay.
QStringView TrimSpaces(QStringView term);

// The trimmed term in the percent form the service reads from q=.
QString EncodeTerm(QStringView term);

// "page=1&q=" and the encoded term: a category's or a search's first page.
QString FirstPageQuery(QStringView term);

// "page=" and the number alone: paging always walks the whole catalogue.
QString PagingQuery(std::int32_t page_no);

}  // namespace quorvel::catalogue
