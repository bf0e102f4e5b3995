#include "plain_scan.h"

namespace quorvel::service::testing {

void PlainScan::Add(std::int64_t seq, std::string_view category_key, std::string_view title_key) {
  rows_.push_back(Row{seq, text_.size(), text_.size() + category_key.size(),
                      static_cast<std::uint32_t>(category_key.size()),
                      static_cast<std::uint32_t>(title_key.size())});
  text_.append(category_key).append(title_key);
}

MatchList PlainScan::Find(std::string_view key) const {
  MatchList found;
  const std::string_view text = text_;
  for (const Row& row : rows_) {
    const std::string_view category = text.substr(row.category_offset, row.category_size);
    const std::string_view title = text.substr(row.title_offset, row.title_size);
    if (key.empty() || category == key || title.find(key) != std::string_view::npos) {
      found.push_back(row.seq);
    }
  }
  return found;
}

std::size_t PlainScan::MemoryBytes() const {
  return rows_.capacity() * sizeof(Row) + text_.capacity();
}

}  // namespace quorvel::service::testing
