#pragma once

#include <string>
#include <vector>

#include "progressbar/property_table.h"

namespace quorvel::progressbar::testing {

// The names of `properties` in their order, as a store or a host sees them.
template <typename Properties>
std::vector<std::string> NamesOf(const Properties& properties) {
  std::vector<std::string> names;
  for (const Property& property : properties) names.emplace_back(property.name);
  return names;
}

// The order in which a restore reads the stored keys and notifies the host.
inline const std::vector<std::string> kReadOrder = NamesOf(kProperties);

}  // namespace quorvel::progressbar::testing
