#pragma once

#include <string>
#include <string_view>

#include "service/store/catalogue_entry.h"

namespace quorvel::service {

// Removes from `field` everything that would break the framing of a listing
// reply: the record and field separators U+0001 and U+0002, NUL, and every
// "?TtbBa?" marker, including markers that only appear once others are gone.
// Returns how many were removed.  One pass: time grows linearly with the field.
int CleanField(std::string& field);

// Whether CleanField would leave `field` as it is.
bool IsCleanField(std::string_view field);

// Cleans the six fields of `entry`; returns how many fields had to change.
int CleanEntry(CatalogueEntry& entry);

}  // namespace quorvel::service
