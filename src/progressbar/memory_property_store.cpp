#include "progressbar/memory_property_store.h"

#include "progressbar/memory_property_store_private.h"

namespace quorvel::progressbar {

MemoryPropertyStore::MemoryPropertyStore() : d_(std::make_unique<MemoryPropertyStorePrivate>()) {}

MemoryPropertyStore::~MemoryPropertyStore() = default;

MemoryPropertyStore::MemoryPropertyStore(const MemoryPropertyStore& other)
    : d_(std::make_unique<MemoryPropertyStorePrivate>(*other.d_)) {}

MemoryPropertyStore& MemoryPropertyStore::operator=(const MemoryPropertyStore& other) {
  *d_ = *other.d_;
  return *this;
}

QVariant MemoryPropertyStore::ReadProperty(std::string_view key, const QVariant& default_value) {
  d_->reads.emplace_back(key);
  const auto found = d_->values.find(key);
  return found == d_->values.end() ? default_value : found->second;
}

Status MemoryPropertyStore::WriteProperty(std::string_view key, const QVariant& value,
                                          const QVariant& default_value) {
  d_->writes.emplace_back(key);
  if (!d_->failing_key.empty() && key == d_->failing_key) {
    return Status::Failure("cannot write " + std::string(key));
  }
  if (SameStoredValue(value, default_value)) {
    if (const auto found = d_->values.find(key); found != d_->values.end()) {
      d_->values.erase(found);
    }
  } else {
    d_->values.insert_or_assign(std::string(key), value);
  }
  return Status::Ok();
}

void MemoryPropertyStore::Set(std::string_view key, const QVariant& value) {
  d_->values.insert_or_assign(std::string(key), value);
}

bool MemoryPropertyStore::Contains(std::string_view key) const {
  return d_->values.find(key) != d_->values.end();
}

QVariant MemoryPropertyStore::Get(std::string_view key) const {
  const auto found = d_->values.find(key);
  return found == d_->values.end() ? QVariant() : found->second;
}

std::vector<std::string> MemoryPropertyStore::Keys() const {
  std::vector<std::string> keys;
  for (const auto& [key, value] : d_->values) keys.push_back(key);
  return keys;
}

const std::vector<std::string>& MemoryPropertyStore::Reads() const { return d_->reads; }

const std::vector<std::string>& MemoryPropertyStore::Writes() const { return d_->writes; }

void MemoryPropertyStore::FailWritesOf(std::string_view key) { d_->failing_key = key; }

}  // namespace quorvel::progressbar
