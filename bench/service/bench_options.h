#pragma once

#include <cstdlib>
#include <string>

namespace quorvel::service::bench {

// Reads "--name N" at argv[i] into `value`, moving i past N; false when
// argv[i] is another option or N is missing.
inline bool ReadSetting(int argc, char** argv, int& i, const char* name, int& value) {
  if (std::string(argv[i]) != name || i + 1 >= argc) return false;
  value = std::atoi(argv[++i]);
  return true;
}

}  // namespace quorvel::service::bench
