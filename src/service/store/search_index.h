#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "service/store/gram_list_thread.h"
#include "service/store/gram_postings.h"
#include "service/store/match_cache.h"

namespace quorvel::service {

// Finds the entries of one catalogue generation whose folded category equals a
// term or whose folded title contains it, in listing order, without reading
// every title: the entries of each category are listed once, and the titles'
// trigram lists (GramPostings) narrow a term to the few titles worth checking.
// At half a million entries a new term costs microseconds where reading every
// title cost over ten milliseconds, and the index takes less memory than the
// rows it indexes.
//
// Keys are added as the rows are read, in row number order, and stay in that
// order: the titles are indexed as they lie, their trigram lists built on a
// second thread (GramListThread) while the caller goes on reading rows.
// Finish() learns the listing order, and each search puts its matches in that
// order.  Only read after Finish(): safe to read from several threads.
class SearchIndex {
 public:
  SearchIndex();
  ~SearchIndex();
  SearchIndex(const SearchIndex&) = delete;
  SearchIndex& operator=(const SearchIndex&) = delete;

  // Rows must come in ascending `seq`; keys are AsciiFold()ed.  Throws
  // StoreError otherwise, or when a key is too large to index.
  void Add(std::int64_t seq, std::string_view category_key, std::string_view title_key);
  // `listing_order` holds the row number of every row added, in listing order.
  // Throws StoreError when it names another set of rows.
  void Finish(std::span<const std::int64_t> listing_order);

  // Every entry, in listing order.
  MatchList All() const;
  // Entries whose category key equals `key` or whose title key contains it;
  // `key` must be folded the same way.  The empty key matches every entry.
  MatchList Find(std::string_view key) const;

  std::size_t size() const { return order_.size(); }
  // Memory held, in bytes.
  std::size_t MemoryBytes() const;
  // How long the trigram lists took to build, on the second thread: they
  // grow beside the caller's own work, so little of it adds to the caller's
  // time.  Known after Finish().
  std::chrono::steady_clock::duration GramListTime() const { return gram_list_time_; }

 private:
  using Row = GramPostings::TextNumber;       // in the order added
  using Position = GramPostings::TextNumber;  // in listing order

  // One distinct category key: its text in category_text_, and where its
  // positions start in category_positions_.
  struct Category {
    std::uint64_t text_offset;
    std::uint32_t text_size;
    Position first;
  };

  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };

  std::string_view Title(Row row) const;
  std::string_view CategoryText(std::uint32_t category) const;
  // The category whose key is `key`, or kNoCategory.
  std::uint32_t FindCategory(std::string_view key) const;
  std::span<const Position> CategoryPositions(std::uint32_t category) const;
  void BuildCategories(std::span<const std::uint32_t> category_at);
  // `positions` in ascending order, each once, as row numbers.
  MatchList InListingOrder(std::vector<Position>& positions) const;

  static constexpr std::uint32_t kNoCategory = static_cast<std::uint32_t>(-1);

  // Only until Finish().
  std::vector<std::int64_t> seqs_;  // of each row
  std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>> category_numbers_;
  std::unique_ptr<GramListThread> gram_lists_;  // takes the title keys

  std::chrono::steady_clock::duration gram_list_time_{};

  std::string titles_;                      // title keys, row after row
  std::vector<std::uint64_t> title_ends_;   // in titles_, of each row
  std::vector<std::uint32_t> category_of_;  // of each row: after Finish(), as in categories_
  std::vector<Position> position_of_;       // of each row
  std::vector<std::int64_t> order_;         // row number at each position
  std::vector<Category> categories_;        // sorted by text
  std::string category_text_;
  std::vector<Position> category_positions_;  // grouped by category, ascending within
  GramPostings grams_;                        // over the titles, by row
};

}  // namespace quorvel::service
