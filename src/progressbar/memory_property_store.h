#pragma once

#include <map>
#include <string>
#include <vector>

#include "quorvel/progressbar/progressbar_export.h"
#include "quorvel/progressbar/property_store.h"

namespace quorvel::progressbar {

// A property store held in memory, values kept exactly as written (fonts by
// reference). It also keeps the keys of every read and write in call order,
// so that the order of a save or a restore can be checked.
class QUORVEL_PROGRESSBAR_EXPORT MemoryPropertyStore final : public PropertyStore {
 public:
  QVariant ReadProperty(std::string_view key, const QVariant& default_value) override;
  Status WriteProperty(std::string_view key, const QVariant& value,
                       const QVariant& default_value) override;

  // Puts `value` under `key` as it is, as if an earlier save had written it.
  void Set(std::string_view key, const QVariant& value);
  bool Contains(std::string_view key) const;
  // The value under `key`; an invalid QVariant when it is absent.
  QVariant Get(std::string_view key) const;
  // The keys present, in alphabetical order.
  std::vector<std::string> Keys() const;

  // Keys passed to ReadProperty() and WriteProperty(), in call order.
  const std::vector<std::string>& Reads() const { return reads_; }
  const std::vector<std::string>& Writes() const { return writes_; }

  // When set, WriteProperty() fails for this key (after logging it).
  std::string fail_write_for;

 private:
  std::map<std::string, QVariant, std::less<>> values_;
  std::vector<std::string> reads_;
  std::vector<std::string> writes_;
};

}  // namespace quorvel::progressbar
