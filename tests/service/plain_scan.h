#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "service/store/match_cache.h"

namespace quorvel::service::testing {

// What the search index must answer, worked out the plain way: the folded
// category and title of every entry in listing order, packed into one buffer
// and walked whole for each key.  The service searched like this before it had
// an index; the index test compares against it, and the search benchmark
// times it as the figure to beat.
class PlainScan {
 public:
  // Rows must be added in listing order; keys are AsciiFold()ed.
  void Add(std::int64_t seq, std::string_view category_key, std::string_view title_key);

  // Entries whose category key equals `key` or whose title key contains it;
  // `key` must be folded the same way.  The empty key matches every entry.
  MatchList Find(std::string_view key) const;

  std::size_t MemoryBytes() const;

 private:
  struct Row {
    std::int64_t seq;
    std::size_t category_offset;
    std::size_t title_offset;
    std::uint32_t category_size;
    std::uint32_t title_size;
  };

  std::vector<Row> rows_;
  std::string text_;
};

}  // namespace quorvel::service::testing
