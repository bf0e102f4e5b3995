#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "service/store/catalogue_entry.h"

namespace quorvel::service {

// Every entry of one catalogue generation, held as the record bytes a listing
// reply carries, so that a page is copied out of memory instead of read row by
// row from the database and taken apart into strings.  Where the origin goes
// in the download addresses is found once, when a row is added.  About the
// size of the entries' text plus about 30 bytes a row; the text lies in blocks of a
// megabyte, so loading a large catalogue never needs one huge block or a copy.
// Filled once, then only read: safe to read from several threads.
class RowStore {
 public:
  // Where a row is not.
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // Rows must come in ascending `seq`.  Throws StoreError otherwise, or when a
  // row is too large to hold.
  void Add(std::int64_t seq, const CatalogueEntry& entry);
  void Add(std::int64_t seq, std::string_view category, std::string_view title,
           std::string_view licence_mode, std::string_view update_time,
           std::string_view download_links, std::string_view entry_id);
  // Called once after the last Add: makes Find() a lookup instead of a search
  // when the row numbers have few gaps, as they do after imports.
  void Finish();

  // The row holding `seq`, or kNone.
  std::size_t Find(std::int64_t seq) const;

  // Lets FindId() find rows: `rows` holds each row once, best in ascending
  // EntryId order (it is sorted otherwise).  Called once, after Finish().
  void SetIdOrder(std::vector<std::uint32_t> rows);
  // The row whose EntryId is `entry_id`, or kNone.
  std::size_t FindId(std::string_view entry_id) const;

  // Appends the row's listing record (six fields, each followed by its
  // separator) with the download addresses made absolute for `origin`.
  void AppendRecord(std::size_t row, std::string_view origin, std::string& out) const;
  // Bytes AppendRecord adds at most.
  std::size_t RecordSizeBound(std::size_t row, std::string_view origin) const;
  // Whether AppendRecord puts the origin into the row's download addresses.
  bool TakesOrigin(std::size_t row) const { return rows_[row].places != 0; }
  // Whether any row does; known once Finish() was called.
  bool AnyTakesOrigin() const { return any_takes_origin_; }

  CatalogueEntry Entry(std::size_t row) const;

  std::size_t size() const { return rows_.size(); }
  // Memory held, in bytes.
  std::size_t MemoryBytes() const;

 private:
  // In its block: `places` offsets into the record where the origin goes,
  // then the record's `size` bytes.
  struct Row {
    std::uint32_t block;
    std::uint32_t offset;
    std::uint32_t size;
    std::uint32_t places;
  };

  std::string_view Record(const Row& row) const;
  std::string_view EntryId(std::uint32_t row) const;
  char* Reserve(std::size_t bytes, Row& row);

  std::vector<Row> rows_;
  std::vector<std::int64_t> seqs_;  // of each row; dropped once by_seq_ is built
  std::int64_t first_seq_ = 0;
  std::vector<std::uint32_t> by_seq_;  // row of first_seq_ + i, or kNoRow
  std::vector<std::uint32_t> by_id_;   // rows in EntryId order
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t block_used_ = 0;
  std::size_t block_size_ = 0;
  std::size_t block_bytes_ = 0;        // of all blocks
  std::vector<std::uint32_t> places_;  // reused by Add
  bool any_takes_origin_ = false;
};

}  // namespace quorvel::service
