#include "progressbar/settings_property_store.h"

#include <QStringList>
#include <utility>

namespace quorvel::progressbar {

SettingsPropertyStore::SettingsPropertyStore(QSettings& settings, QString group)
    : settings_(settings), group_(std::move(group)) {}

QString SettingsPropertyStore::FullKey(std::string_view key) const {
  const QString name = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
  return group_.isEmpty() ? name : group_ + QLatin1Char('/') + name;
}

QVariant SettingsPropertyStore::ReadProperty(std::string_view key, const QVariant& default_value) {
  const QString full_key = FullKey(key);
  if (!settings_.contains(full_key)) return default_value;
  QVariant value = settings_.value(full_key);
  if (value.metaType() == QMetaType::fromType<QStringList>()) {
    value = value.toStringList().join(QLatin1Char(','));
  }
  return value;
}

Status SettingsPropertyStore::WriteProperty(std::string_view key, const QVariant& value,
                                            const QVariant& default_value) {
  const QString full_key = FullKey(key);
  QVariant kept = value;
  if (value.metaType() == QMetaType::fromType<FontRef>()) {
    const FontRef font = value.value<FontRef>();
    kept = font ? QVariant(font->toString()) : QVariant();
  } else if (value.metaType() == QMetaType::fromType<QFont>()) {
    kept = value.value<QFont>().toString();
  }
  if (SameStoredValue(value, default_value) || !kept.isValid()) {
    settings_.remove(full_key);
  } else {
    settings_.setValue(full_key, kept);
  }
  if (settings_.status() != QSettings::NoError) {
    return Status::Failure("cannot write " + std::string(key) + " to the settings");
  }
  return Status::Ok();
}

}  // namespace quorvel::progressbar
