#pragma once

#include <string>
#include <string_view>

namespace quorvel::service {

// Lower-cases A to Z only: matching is case-blind for ASCII letters and exact
// for everything else, whatever the locale or the SQLite build.
inline std::string AsciiFold(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace quorvel::service
