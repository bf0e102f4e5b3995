#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace quorvel::shell::testing {

// A listing reply as the service sends it: every record's fields joined by
// U+0002 and followed by U+0001, then the trailer with the entry count and
// the page count.
inline QByteArray ListingReply(const std::vector<QStringList>& records, const QString& count,
                               const QString& pages) {
  QString text;
  for (const QStringList& fields : records) {
    text += fields.join(QChar(0x0002));
    text += QChar(0x0001);
  }
  text += QStringLiteral("?TtbBa?") + count + QStringLiteral("?") + pages;
  return text.toUtf8();
}

// Twenty short rows on one page.
inline QByteArray TwentyRowReply() {
  std::vector<QStringList> records;
  for (int i = 0; i < 20; ++i) {
    records.push_back({QStringLiteral("c%1").arg(i), QStringLiteral("t%1").arg(i), "free",
                       "2014-06-30 09:59:43", "", QString::number(i)});
  }
  return ListingReply(records, QStringLiteral("20"), QStringLiteral("1"));
}

}  // namespace quorvel::shell::testing
