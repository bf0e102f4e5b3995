#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "quorvel/progressbar/progressbar_export.h"
#include "quorvel/progressbar/property_store.h"

namespace quorvel::progressbar {

class MemoryPropertyStorePrivate;

// A property store held in memory, values kept exactly as written (fonts by
// reference). It also keeps the keys of every read and write in call order,
// so that the order of a save or a restore can be checked.
class QUORVEL_PROGRESSBAR_EXPORT MemoryPropertyStore final : public PropertyStore {
 public:
  MemoryPropertyStore();
  ~MemoryPropertyStore() override;
  MemoryPropertyStore(const MemoryPropertyStore& other);
  MemoryPropertyStore& operator=(const MemoryPropertyStore& other);

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
  const std::vector<std::string>& Reads() const;
  const std::vector<std::string>& Writes() const;

  // From now on WriteProperty() fails for `key` (for none when it is empty),
  // as a store on a full disk would: a host's handling of a failed save can
  // be tried with it.
  void FailWritesOf(std::string_view key);

 private:
  const std::unique_ptr<MemoryPropertyStorePrivate> d_;
};

}  // namespace quorvel::progressbar
