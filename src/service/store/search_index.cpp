#include "service/store/search_index.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <numeric>

#include "service/store/sqlite_handle.h"

namespace quorvel::service {
namespace {

// Whether `text` contains `key` (not empty).  Looks for the key's last byte
// first: in UTF-8 text that is a trailing byte, where the first would be one
// of the few lead bytes that start nearly every CJK character.
bool Contains(std::string_view text, std::string_view key) {
  if (text.size() < key.size()) return false;
  // A key nearly as long as the text (a whole title, pasted) has few places
  // to be at: each is compared, rather than looked for byte by byte.
  constexpr std::size_t kFewPlaces = 16;
  if (const std::size_t places = text.size() - key.size() + 1; places <= kFewPlaces) {
    for (std::size_t at = 0; at < places; ++at) {
      if (text[at] == key.front() && std::memcmp(text.data() + at, key.data(), key.size()) == 0) {
        return true;
      }
    }
    return false;
  }
  const std::size_t before = key.size() - 1;
  for (std::size_t at = before; at < text.size(); ++at) {
    const void* last = std::memchr(text.data() + at, key.back(), text.size() - at);
    if (last == nullptr) return false;
    at = static_cast<std::size_t>(static_cast<const char*>(last) - text.data());
    if (std::memcmp(text.data() + at - before, key.data(), before) == 0) return true;
  }
  return false;
}

}  // namespace

SearchIndex::SearchIndex() : gram_lists_(std::make_unique<GramListThread>()) {}

SearchIndex::~SearchIndex() = default;

void SearchIndex::Add(std::int64_t seq, std::string_view category_key, std::string_view title_key) {
  if (gram_lists_ == nullptr) throw StoreError("the search index was finished before");
  if (!seqs_.empty() && seq <= seqs_.back()) {
    throw StoreError("entry " + std::to_string(seq) + " read out of order");
  }
  constexpr std::size_t kLargest = std::numeric_limits<std::uint32_t>::max();
  if (category_key.size() > kLargest || title_key.size() > kLargest) {
    throw StoreError("entry " + std::to_string(seq) + " has a field too large to index");
  }
  // Catalogues have few categories: each is kept once, as a number.
  auto category = category_numbers_.find(category_key);
  if (category == category_numbers_.end()) {
    category = category_numbers_
                   .emplace(std::string(category_key),
                            static_cast<std::uint32_t>(category_numbers_.size()))
                   .first;
  }
  seqs_.push_back(seq);
  category_of_.push_back(category->second);
  gram_lists_->Add(title_key);
}

void SearchIndex::Finish(std::span<const std::int64_t> listing_order) {
  const std::size_t size = seqs_.size();
  if (listing_order.size() != size) throw StoreError("the catalogue changed while it was read");
  if (size >= kNoCategory) throw StoreError("too many entries to index: " + std::to_string(size));
  if (gram_lists_ == nullptr) throw StoreError("the search index was finished before");
  order_.assign(listing_order.begin(), listing_order.end());
  constexpr Position kUnplaced = static_cast<Position>(-1);
  position_of_.assign(size, kUnplaced);
  std::vector<std::uint32_t> category_at(size);
  // Row numbers are mostly without gaps after imports: try the place a row
  // would have then before searching.
  const auto guess = [this](std::int64_t seq) {
    return static_cast<std::uint64_t>(seq) - static_cast<std::uint64_t>(seqs_.front());
  };
  for (Position position = 0; position < size; ++position) {
    // Listing order is not row order: ask for the rows ahead, or waiting for
    // memory takes most of the time.
    constexpr std::size_t kAhead = 8;
    if (position + kAhead < size) {
      const std::uint64_t ahead = guess(order_[position + kAhead]);
      if (ahead < size) {
        __builtin_prefetch(&seqs_[ahead]);
        __builtin_prefetch(&position_of_[ahead], 1);
        __builtin_prefetch(&category_of_[ahead]);
      }
    }
    const std::int64_t seq = order_[position];
    std::uint64_t row = guess(seq);
    if (row >= size || seqs_[row] != seq) {
      row = static_cast<std::uint64_t>(std::lower_bound(seqs_.begin(), seqs_.end(), seq) -
                                       seqs_.begin());
    }
    if (row == size || seqs_[row] != seq || position_of_[row] != kUnplaced) {
      throw StoreError("the catalogue changed while it was read");
    }
    position_of_[row] = position;
    category_at[position] = category_of_[row];
  }
  std::vector<std::int64_t>().swap(seqs_);
  category_of_.shrink_to_fit();  // grown a row at a time
  BuildCategories(category_at);
  category_numbers_ = {};

  // The titles' lists, which were built meanwhile, most of them while the
  // rows were read.
  GramListThread::Result titles = gram_lists_->Finish();
  gram_lists_.reset();
  gram_list_time_ = titles.working;
  titles_ = std::move(titles.texts);
  title_ends_ = std::move(titles.ends);
  titles_.shrink_to_fit();
  title_ends_.shrink_to_fit();
  grams_.Build(size, std::move(titles.lists));
}

void SearchIndex::BuildCategories(std::span<const std::uint32_t> category_at) {
  // Numbered as first seen until now; from here on in text order, for lookups.
  std::vector<std::string_view> texts(category_numbers_.size());
  for (const auto& [text, number] : category_numbers_) texts[number] = text;
  std::vector<std::uint32_t> by_text(texts.size());
  std::iota(by_text.begin(), by_text.end(), 0);
  std::sort(by_text.begin(), by_text.end(),
            [&](std::uint32_t a, std::uint32_t b) { return texts[a] < texts[b]; });
  std::vector<std::uint32_t> rank_of(texts.size());
  for (std::uint32_t rank = 0; rank < by_text.size(); ++rank) rank_of[by_text[rank]] = rank;
  for (std::uint32_t& category : category_of_) category = rank_of[category];

  std::vector<Position> counts(texts.size());
  for (const std::uint32_t number : category_at) ++counts[rank_of[number]];
  std::vector<Position> cursor(texts.size());
  categories_.reserve(texts.size());
  Position first = 0;
  for (std::uint32_t rank = 0; rank < by_text.size(); ++rank) {
    const std::string_view text = texts[by_text[rank]];
    categories_.push_back(
        Category{category_text_.size(), static_cast<std::uint32_t>(text.size()), first});
    category_text_.append(text);
    cursor[rank] = first;
    first += counts[rank];
  }
  category_positions_.resize(category_at.size());
  for (Position position = 0; position < category_at.size(); ++position) {
    category_positions_[cursor[rank_of[category_at[position]]]++] = position;
  }
}

std::string_view SearchIndex::Title(Row row) const {
  const std::uint64_t begin = row == 0 ? 0 : title_ends_[row - 1];
  return std::string_view(titles_).substr(begin, title_ends_[row] - begin);
}

std::string_view SearchIndex::CategoryText(std::uint32_t category) const {
  return std::string_view(category_text_)
      .substr(categories_[category].text_offset, categories_[category].text_size);
}

std::uint32_t SearchIndex::FindCategory(std::string_view key) const {
  std::uint32_t first = 0;
  std::uint32_t count = static_cast<std::uint32_t>(categories_.size());
  while (count > 0) {
    const std::uint32_t half = count / 2;
    if (CategoryText(first + half) < key) {
      first += half + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  return first < categories_.size() && CategoryText(first) == key ? first : kNoCategory;
}

std::span<const SearchIndex::Position> SearchIndex::CategoryPositions(
    std::uint32_t category) const {
  if (category == kNoCategory) return {};
  const Position last = category + 1 == categories_.size()
                            ? static_cast<Position>(category_positions_.size())
                            : categories_[category + 1].first;
  const Position first = categories_[category].first;
  return std::span<const Position>(category_positions_).subspan(first, last - first);
}

MatchList SearchIndex::InListingOrder(std::vector<Position>& positions) const {
  MatchList found;
  found.reserve(positions.size());
  // Sorting a few is quick; many are marked in a bitmap, read in order.
  if (positions.size() * 32 < order_.size()) {
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (const Position position : positions) found.push_back(order_[position]);
    return found;
  }
  std::vector<std::uint64_t> marked((order_.size() + 63) / 64);
  for (const Position position : positions) {
    marked[position / 64] |= std::uint64_t{1} << (position % 64);
  }
  for (std::size_t word = 0; word < marked.size(); ++word) {
    for (std::uint64_t bits = marked[word]; bits != 0; bits &= bits - 1) {
      found.push_back(order_[word * 64 + static_cast<std::size_t>(std::countr_zero(bits))]);
    }
  }
  return found;
}

MatchList SearchIndex::All() const { return order_; }

MatchList SearchIndex::Find(std::string_view key) const {
  if (key.empty()) return All();
  const std::uint32_t category = FindCategory(key);
  const std::span<const Position> in_category = CategoryPositions(category);
  std::vector<Row> rows;
  const bool sure = grams_.Candidates(key, rows);
  std::vector<Position> positions(in_category.begin(), in_category.end());
  positions.reserve(positions.size() + rows.size());
  // Candidates lie anywhere in the titles: each one's title is asked for a
  // few candidates ahead, and where it starts a few before that, or waiting
  // for memory takes most of the time.
  constexpr std::size_t kAhead = 4;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!sure && i + 2 * kAhead < rows.size()) {
      const Row later = rows[i + 2 * kAhead];
      __builtin_prefetch(&category_of_[later]);
      __builtin_prefetch(&title_ends_[later == 0 ? 0 : later - 1]);
    }
    if (!sure && i + kAhead < rows.size()) {
      const Row soon = rows[i + kAhead];
      __builtin_prefetch(titles_.data() + (soon == 0 ? 0 : title_ends_[soon - 1]));
    }
    const Row row = rows[i];
    // Entries of the category are found anyway: only the others are checked.
    if (category_of_[row] == category) continue;
    if (sure || Contains(Title(row), key)) positions.push_back(position_of_[row]);
  }
  return InListingOrder(positions);
}

std::size_t SearchIndex::MemoryBytes() const {
  std::size_t categories_held = 0;
  for (const auto& [text, number] : category_numbers_) {
    categories_held += sizeof number + text.capacity();
  }
  return seqs_.capacity() * sizeof(std::int64_t) + categories_held + titles_.capacity() +
         title_ends_.capacity() * sizeof(std::uint64_t) +
         category_of_.capacity() * sizeof(std::uint32_t) +
         position_of_.capacity() * sizeof(Position) + order_.capacity() * sizeof(std::int64_t) +
         categories_.capacity() * sizeof(Category) + category_text_.capacity() +
         category_positions_.capacity() * sizeof(Position) + grams_.MemoryBytes();
}

}  // namespace quorvel::service
