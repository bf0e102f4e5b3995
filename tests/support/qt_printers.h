#pragma once

// Lets GoogleTest print Qt values in failure messages, and compare the
// windows' Qt text with the client logic's UTF-16 text unit for unit.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVariant>

#include <ostream>
#include <string>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << "x" << r.height() << ")";
}
inline void PrintTo(const QPoint& p, std::ostream* os) {
  *os << "QPoint(" << p.x() << ", " << p.y() << ")";
}
inline void PrintTo(const QSize& s, std::ostream* os) {
  *os << "QSize(" << s.width() << "x" << s.height() << ")";
}
inline void PrintTo(const QVariant& v, std::ostream* os) {
  *os << (v.isValid() ? v.typeName() : "invalid") << "(" << v.toString().toStdString() << ")";
}

inline bool operator==(const QString& qt, const std::u16string& text) {
  return QStringView(qt) == QStringView(text);
}
inline bool operator==(const QStringList& qt, const std::vector<std::u16string>& lines) {
  if (qt.size() != static_cast<qsizetype>(lines.size())) return false;
  for (qsizetype i = 0; i < qt.size(); ++i) {
    if (!(qt[i] == lines[static_cast<std::size_t>(i)])) return false;
  }
  return true;
}
