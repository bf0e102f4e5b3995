#pragma once

// Lets GoogleTest print Qt values in failure messages.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVariant>

#include <ostream>

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
