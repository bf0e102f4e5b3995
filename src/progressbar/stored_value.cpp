#include "progressbar/stored_value.h"

#include <QByteArray>
#include <QLocale>
#include <QStringList>
#include <cmath>
#include <limits>

#include "progressbar/bar_caption.h"
#include "progressbar/rounding.h"

namespace quorvel::progressbar {

namespace {

// Whole numbers are worked out in 64 bits; anything outside is out of range
// for every property.
// The C locale, strict: "1,500" is not a number.
QLocale StrictC() {
  QLocale locale = QLocale::c();
  locale.setNumberOptions(QLocale::RejectGroupSeparator);
  return locale;
}

std::optional<std::int64_t> FromDouble(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double rounded = RoundHalfEven(value);
  // 2^62 keeps the conversion exact and far beyond every 32-bit range.
  constexpr double kLimit = 4611686018427387904.0;
  if (rounded < -kLimit || rounded > kLimit) return std::nullopt;
  return static_cast<std::int64_t>(rounded);
}

std::optional<std::int64_t> FromText(QString text) {
  text = text.trimmed();
  if (text.isEmpty()) return std::nullopt;
  bool ok = false;
  if (text.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
    const qulonglong bits = text.mid(2).toULongLong(&ok, 16);
    if (!ok || bits > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    // Like a 32-bit literal: &HFFFFFFFF is -1.
    return static_cast<std::int64_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(bits)));
  }
  const qlonglong whole = text.toLongLong(&ok, 10);
  if (ok) return whole;
  const double number = StrictC().toDouble(text, &ok);
  if (!ok) return std::nullopt;
  return FromDouble(number);
}

bool IsInteger(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
      return true;
    default:
      return false;
  }
}

bool IsFloating(const QVariant& value) {
  return value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
}

std::optional<std::int64_t> WholeNumber(const QVariant& value) {
  if (IsInteger(value)) {
    if (value.typeId() == QMetaType::ULongLong || value.typeId() == QMetaType::ULong) {
      const qulonglong unsigned_value = value.toULongLong();
      if (unsigned_value > static_cast<qulonglong>(std::numeric_limits<std::int64_t>::max())) {
        return std::nullopt;
      }
      return static_cast<std::int64_t>(unsigned_value);
    }
    return value.toLongLong();
  }
  if (IsFloating(value)) return FromDouble(value.toDouble());
  switch (value.typeId()) {
    case QMetaType::Bool:
      return value.toBool() ? -1 : 0;
    case QMetaType::QString:
      return FromText(value.toString());
    case QMetaType::QByteArray:
      return FromText(QString::fromUtf8(value.toByteArray()));
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<std::int32_t> StoredInt32(const QVariant& value) {
  const std::optional<std::int64_t> whole = WholeNumber(value);
  if (!whole || *whole < std::numeric_limits<std::int32_t>::min() ||
      *whole > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(*whole);
}

std::optional<Colour> StoredColour(const QVariant& value) {
  const std::optional<std::int64_t> whole = WholeNumber(value);
  if (!whole || *whole < std::numeric_limits<std::int32_t>::min() ||
      *whole > std::numeric_limits<std::uint32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<Colour>(static_cast<std::uint32_t>(*whole));
}

std::optional<bool> StoredBoolean(const QVariant& value) {
  if (value.typeId() == QMetaType::Bool) return value.toBool();
  if (IsFloating(value)) {
    const double number = value.toDouble();
    if (std::isnan(number)) return std::nullopt;
    return number != 0;
  }
  if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray) {
    const QString text = value.typeId() == QMetaType::QString
                             ? value.toString().trimmed()
                             : QString::fromUtf8(value.toByteArray()).trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    bool ok = false;
    const double number = StrictC().toDouble(text, &ok);
    if (!ok || std::isnan(number)) return std::nullopt;
    return number != 0;
  }
  if (const std::optional<std::int64_t> whole = WholeNumber(value)) return *whole != 0;
  return std::nullopt;
}

std::optional<QString> StoredText(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::QString:
      return value.toString();
    case QMetaType::QByteArray:
      return QString::fromUtf8(value.toByteArray());
    case QMetaType::QStringList:
      return value.toStringList().join(QLatin1Char(','));
    case QMetaType::Bool:
      return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
      break;
  }
  if (IsFloating(value)) return GeneralNumber(value.toDouble());
  if (IsInteger(value)) {
    return value.typeId() == QMetaType::ULongLong || value.typeId() == QMetaType::ULong
               ? QString::number(value.toULongLong())
               : QString::number(value.toLongLong());
  }
  return std::nullopt;
}

std::optional<FontRef> StoredFont(const QVariant& value) {
  if (value.metaType() == QMetaType::fromType<FontRef>()) {
    FontRef font = value.value<FontRef>();
    if (!font) return std::nullopt;
    return font;
  }
  QFont font;
  if (value.metaType() == QMetaType::fromType<QFont>()) {
    font = value.value<QFont>();
  } else if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray) {
    const QString text = value.typeId() == QMetaType::QString
                             ? value.toString().trimmed()
                             : QString::fromUtf8(value.toByteArray()).trimmed();
    if (text.isEmpty() || !font.fromString(text)) return std::nullopt;
  } else {
    return std::nullopt;
  }
  if (font.pointSizeF() > kLargestStoredFontSize || font.pixelSize() > kLargestStoredFontSize) {
    return std::nullopt;
  }
  return std::make_shared<QFont>(font);
}

}  // namespace quorvel::progressbar
