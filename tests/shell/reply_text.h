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

}  // namespace quorvel::shell::testing
