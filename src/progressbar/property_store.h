#pragma once

// The keyed store in which a host keeps a control's saved settings.

#include <QFont>
#include <QMetaType>
#include <QVariant>
#include <memory>
#include <string_view>

#include "quorvel/progressbar/progressbar_export.h"
#include "quorvel/progressbar/status.h"

namespace quorvel::progressbar {

// A font object as a stored value: shared, never copied on the way through.
using FontRef = std::shared_ptr<QFont>;

// Values go in and out as QVariants: 32-bit integers as int, colours as uint
// (0x00BBGGRR), Booleans as bool, text as QString and fonts as FontRef. A
// store that keeps values on disk may hand back another representation (text,
// say); the reader converts.
class QUORVEL_PROGRESSBAR_EXPORT PropertyStore {
 public:
  virtual ~PropertyStore() = default;

  // The value stored under `key`, or `default_value` when the key is absent.
  virtual QVariant ReadProperty(std::string_view key, const QVariant& default_value) = 0;

  // Stores `value` under `key`; a value equal to `default_value` (see
  // SameStoredValue()) is left out, and an earlier value under the key goes.
  virtual Status WriteProperty(std::string_view key, const QVariant& value,
                               const QVariant& default_value) = 0;
};

// Whether two values are the same for a store: fonts (FontRef or QFont) when
// they describe the same font, or both are null references; anything else by
// QVariant equality.
QUORVEL_PROGRESSBAR_EXPORT bool SameStoredValue(const QVariant& a, const QVariant& b);

}  // namespace quorvel::progressbar

Q_DECLARE_METATYPE(quorvel::progressbar::FontRef)
