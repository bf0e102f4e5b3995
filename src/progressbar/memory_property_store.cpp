#include "progressbar/memory_property_store.h"

namespace quorvel::progressbar {

QVariant MemoryPropertyStore::ReadProperty(std::string_view key, const QVariant& default_value) {
  reads_.emplace_back(key);
  const auto found = values_.find(key);
  return found == values_.end() ? default_value : found->second;
}

Status MemoryPropertyStore::WriteProperty(std::string_view key, const QVariant& value,
                                          const QVariant& default_value) {
  writes_.emplace_back(key);
  if (!fail_write_for.empty() && key == fail_write_for) {
    return Status::Failure("cannot write " + std::string(key));
  }
  if (SameStoredValue(value, default_value)) {
    if (const auto found = values_.find(key); found != values_.end()) values_.erase(found);
  } else {
    values_.insert_or_assign(std::string(key), value);
  }
  return Status::Ok();
}

void MemoryPropertyStore::Set(std::string_view key, const QVariant& value) {
  values_.insert_or_assign(std::string(key), value);
}

bool MemoryPropertyStore::Contains(std::string_view key) const {
  return values_.find(key) != values_.end();
}

QVariant MemoryPropertyStore::Get(std::string_view key) const {
  const auto found = values_.find(key);
  return found == values_.end() ? QVariant() : found->second;
}

std::vector<std::string> MemoryPropertyStore::Keys() const {
  std::vector<std::string> keys;
  for (const auto& [key, value] : values_) keys.push_back(key);
  return keys;
}

}  // namespace quorvel::progressbar
