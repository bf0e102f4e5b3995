#pragma once

#include <QSettings>
#include <QString>
#include <memory>

#include "quorvel/progressbar/progressbar_export.h"
#include "quorvel/progressbar/property_store.h"

namespace quorvel::progressbar {

class SettingsPropertyStorePrivate;

// A property store in QSettings, under a group of its own (one per control,
// say its object name). Numbers, Booleans and text are kept as QSettings
// keeps them; a font is kept in Qt's font string form (QFont::toString()),
// and a null font reference is not kept at all. Reads hand back what
// QSettings returns (text, for an INI file), which the reader converts; a
// list (text with unquoted commas) comes back joined with commas.
class QUORVEL_PROGRESSBAR_EXPORT SettingsPropertyStore final : public PropertyStore {
 public:
  // `settings` must outlive the store. An empty `group` keeps the keys at the
  // top level.
  SettingsPropertyStore(QSettings& settings, QString group);
  ~SettingsPropertyStore() override;
  SettingsPropertyStore(const SettingsPropertyStore&) = delete;
  SettingsPropertyStore& operator=(const SettingsPropertyStore&) = delete;

  QVariant ReadProperty(std::string_view key, const QVariant& default_value) override;
  // Fails when QSettings reports an access or format error.
  Status WriteProperty(std::string_view key, const QVariant& value,
                       const QVariant& default_value) override;

 private:
  const std::unique_ptr<SettingsPropertyStorePrivate> d_;
};

}  // namespace quorvel::progressbar
