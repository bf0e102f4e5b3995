#include "service/store/search_index.h"

#include <limits>

#include "service/store/sqlite_handle.h"

namespace quorvel::service {

void SearchIndex::Add(std::int64_t seq, std::string_view category_key, std::string_view title_key) {
  constexpr std::size_t kLargest = std::numeric_limits<std::uint32_t>::max();
  if (category_key.size() > kLargest || title_key.size() > kLargest) {
    throw StoreError("entry " + std::to_string(seq) + " has a field too large to index");
  }
  Row row{seq, text_.size(), text_.size() + category_key.size(),
          static_cast<std::uint32_t>(category_key.size()),
          static_cast<std::uint32_t>(title_key.size())};
  text_.append(category_key).append(title_key);
  rows_.push_back(row);
}

MatchList SearchIndex::All() const {
  MatchList all;
  all.reserve(rows_.size());
  for (const Row& row : rows_) all.push_back(row.seq);
  return all;
}

MatchList SearchIndex::Find(std::string_view key) const {
  if (key.empty()) return All();
  MatchList found;
  const std::string_view text = text_;
  for (const Row& row : rows_) {
    const std::string_view category = text.substr(row.category_offset, row.category_size);
    const std::string_view title = text.substr(row.title_offset, row.title_size);
    if (category == key || title.find(key) != std::string_view::npos) found.push_back(row.seq);
  }
  return found;
}

}  // namespace quorvel::service
