#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <vector>

namespace quorvel::catalogue::testing {

// Builds a listing reply: every record followed by U+0001, its fields joined
// by U+0002, then the trailer text after the marker "?TtbBa?".
inline QByteArray Reply(const std::vector<QStringList>& records, const QString& trailer) {
  QString text;
  for (const QStringList& fields : records) {
    text += fields.join(QChar(0x0002));
    text += QChar(0x0001);
  }
  text += QStringLiteral("?TtbBa?");
  text += trailer;
  return text.toUtf8();
}

// A full record with recognisable fields: "c<n>", "t<n>", ... "id<n>".
inline QStringList Record(int n) {
  const QString k = QString::number(n);
  return {"c" + k, "t" + k, "m" + k, "u" + k, "n" + k + "/*/http://h/" + k + "/**/", "id" + k};
}

inline std::vector<QStringList> Records(int count) {
  std::vector<QStringList> records;
  for (int i = 0; i < count; ++i) records.push_back(Record(i));
  return records;
}

}  // namespace quorvel::catalogue::testing
