#include "catalogue/listing_query.h"

#include <string>

#include "encoding/query_encoder.h"

namespace quorvel::catalogue {

QStringView TrimSpaces(QStringView term) {
  qsizetype begin = 0;
  qsizetype end = term.size();
  while (begin < end && term[begin] == u' ') ++begin;
  while (end > begin && term[end - 1] == u' ') --end;
  return term.sliced(begin, end - begin);
}

QString EncodeTerm(QStringView term) {
  const QStringView trimmed = TrimSpaces(term);
  const std::string encoded =
      encoding::GBtoUTF8(std::u16string_view(reinterpret_cast<const char16_t*>(trimmed.utf16()),
                                             static_cast<std::size_t>(trimmed.size())));
  return QString::fromLatin1(encoded.data(), static_cast<qsizetype>(encoded.size()));
}

QString FirstPageQuery(QStringView term) { return QStringLiteral("page=1&q=") + EncodeTerm(term); }

QString PagingQuery(std::int32_t page_no) {
  return QStringLiteral("page=") + QString::number(page_no);
}

}  // namespace quorvel::catalogue
