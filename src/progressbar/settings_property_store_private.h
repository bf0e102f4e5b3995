#pragma once

#include <QSettings>
#include <QString>
#include <string_view>
#include <utility>

namespace quorvel::progressbar {

// The state of a SettingsPropertyStore: the settings and the group its keys
// live under.
class SettingsPropertyStorePrivate {
 public:
  SettingsPropertyStorePrivate(QSettings& settings, QString group)
      : settings(settings), group(std::move(group)) {}

  // `key` under the group.
  QString FullKey(std::string_view key) const;

  QSettings& settings;
  const QString group;
};

}  // namespace quorvel::progressbar
