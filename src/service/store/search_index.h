#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "service/store/match_cache.h"

namespace quorvel::service {

// The folded category and title of every entry of one catalogue generation, in
// listing order, packed into one buffer.  Finding a term walks it once, which
// takes milliseconds for a hundred thousand entries where the same scan in
// SQL takes tens, and yields matches already in listing order.
class SearchIndex {
 public:
  // Rows must be added in listing order; keys are AsciiFold()ed.
  void Add(std::int64_t seq, std::string_view category_key, std::string_view title_key);

  // Every entry, in listing order.
  MatchList All() const;
  // Entries whose category key equals `key` or whose title key contains it;
  // `key` must be folded the same way.  The empty key matches every entry.
  MatchList Find(std::string_view key) const;

  std::size_t size() const { return rows_.size(); }

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

}  // namespace quorvel::service
