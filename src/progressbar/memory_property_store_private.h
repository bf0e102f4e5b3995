#pragma once

#include <QVariant>
#include <map>
#include <string>
#include <vector>

namespace quorvel::progressbar {

// The state of a MemoryPropertyStore: the values by key, the keys read and
// written in call order, and the key whose writes fail.
class MemoryPropertyStorePrivate {
 public:
  std::map<std::string, QVariant, std::less<>> values;
  std::vector<std::string> reads;
  std::vector<std::string> writes;
  std::string failing_key;
};

}  // namespace quorvel::progressbar
