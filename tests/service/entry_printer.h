#pragma once

#include <ostream>

#include "service/store/catalogue_entry.h"

namespace quorvel::service {

// Lets test failures show entries as text rather than bytes.
inline void PrintTo(const CatalogueEntry& e, std::ostream* out) {
  *out << "{" << e.category << " | " << e.title << " | " << e.licence_mode << " | " << e.update_time
       << " | " << e.download_links << " | " << e.entry_id << "}";
}

}  // namespace quorvel::service
