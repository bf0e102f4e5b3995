#include "progressbar/property_store.h"

#include <optional>

namespace quorvel::progressbar {

namespace {

// The font a value describes: nullopt when it is no font at all, a null
// pointer for a null reference.
std::optional<const QFont*> FontOf(const QVariant& value) {
  if (value.metaType() == QMetaType::fromType<FontRef>()) return value.value<FontRef>().get();
  if (value.metaType() == QMetaType::fromType<QFont>()) {
    return static_cast<const QFont*>(value.constData());
  }
  return std::nullopt;
}

}  // namespace

bool SameStoredValue(const QVariant& a, const QVariant& b) {
  const std::optional<const QFont*> font_a = FontOf(a);
  const std::optional<const QFont*> font_b = FontOf(b);
  if (font_a || font_b) {
    if (!font_a || !font_b) return false;
    if (*font_a == nullptr || *font_b == nullptr) return *font_a == *font_b;
    return **font_a == **font_b;
  }
  return a == b;
}

}  // namespace quorvel::progressbar
