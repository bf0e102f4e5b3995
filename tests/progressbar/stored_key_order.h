#pragma once

#include <algorithm>
#include <string>
#include <string_view>
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

// The table's row of the property `name`, which must be one of the sixteen.
inline const Property& PropertyNamed(std::string_view name) {
  return *std::find_if(kProperties.begin(), kProperties.end(),
                       [name](const Property& row) { return row.name == name; });
}

}  // namespace quorvel::progressbar::testing
