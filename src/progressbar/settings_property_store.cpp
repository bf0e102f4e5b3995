#include "progressbar/settings_property_store.h"

#include <QStringList>
#include <utility>

#include "progressbar/settings_property_store_private.h"

namespace quorvel::progressbar {

SettingsPropertyStore::SettingsPropertyStore(QSettings& settings, QString group)
    : d_(std::make_unique<SettingsPropertyStorePrivate>(settings, std::move(group))) {}

SettingsPropertyStore::~SettingsPropertyStore() = default;

QString SettingsPropertyStorePrivate::FullKey(std::string_view key) const {
  const QString name = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
  return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

QVariant SettingsPropertyStore::ReadProperty(std::string_view key, const QVariant& default_value) {
  const QString full_key = d_->FullKey(key);
  if (!d_->settings.contains(full_key)) return default_value;
  QVariant value = d_->settings.value(full_key);
  if (value.metaType() == QMetaType::fromType<QStringList>()) {
    value = value.toStringList().join(QLatin1Char(','));
  }
  return value;
}

Status SettingsPropertyStore::WriteProperty(std::string_view key, const QVariant& value,
                                            const QVariant& default_value) {
  const QString full_key = d_->FullKey(key);
  QVariant kept = value;
  if (value.metaType() == QMetaType::fromType<FontRef>()) {
    const FontRef font = value.value<FontRef>();
    kept = font ? QVariant(font->toString()) : QVariant();
  } else if (value.metaType() == QMetaType::fromType<QFont>()) {
    kept = value.value<QFont>().toString();
  }
  if (SameStoredValue(value, default_value) || !kept.isValid()) {
    d_->settings.remove(full_key);
  } else {
    d_->settings.setValue(full_key, kept);
  }
  if (d_->settings.status() != QSettings::NoError) {
    return Status::Failure("cannot write " + std::string(key) + " to the settings");
  }
  return Status::Ok();
}

}  // namespace quorvel::progressbar
