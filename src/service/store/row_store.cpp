#include "service/store/row_store.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "protocol/listing_reply_writer.h"
#include "protocol/wire_format.h"
#include "service/store/sqlite_handle.h"

namespace quorvel::service {

using protocol::kFieldSeparator;
using protocol::kRecordSeparator;

namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
constexpr std::uint32_t kNoRow = std::numeric_limits<std::uint32_t>::max();
// Lookup table entries allowed per row before Find() searches instead.
constexpr std::int64_t kMaxGapsPerRow = 4;

}  // namespace

void RowStore::Add(std::int64_t seq, const CatalogueEntry& entry) {
  Add(seq, entry.category, entry.title, entry.licence_mode, entry.update_time, entry.download_links,
      entry.entry_id);
}

char* RowStore::Reserve(std::size_t bytes, Row& row) {
  if (blocks_.empty() || block_size_ - block_used_ < bytes) {
    block_size_ = std::max(bytes, kBlockBytes);
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(block_size_));
    block_bytes_ += block_size_;
    block_used_ = 0;
  }
  row.block = static_cast<std::uint32_t>(blocks_.size() - 1);
  row.offset = static_cast<std::uint32_t>(block_used_);
  char* at = blocks_.back().get() + block_used_;
  block_used_ += bytes;
  return at;
}

void RowStore::Add(std::int64_t seq, std::string_view category, std::string_view title,
                   std::string_view licence_mode, std::string_view update_time,
                   std::string_view download_links, std::string_view entry_id) {
  if (!seqs_.empty() && seq <= seqs_.back()) {
    throw StoreError("entry " + std::to_string(seq) + " read out of order");
  }
  const std::string_view fields[] = {category,    title,          licence_mode,
                                     update_time, download_links, entry_id};
  std::size_t size = 0;
  for (const std::string_view field : fields) size += field.size() + 1;
  if (size > std::numeric_limits<std::uint32_t>::max() / 4) {
    throw StoreError("entry " + std::to_string(seq) + " is too large to hold");
  }
  places_.clear();
  protocol::FindOriginPlaces(download_links, places_);
  const std::size_t links_offset = size - download_links.size() - entry_id.size() - 2;
  for (std::uint32_t& place : places_) place += static_cast<std::uint32_t>(links_offset);

  Row row{};
  const std::size_t places_bytes = places_.size() * sizeof(std::uint32_t);
  char* out = Reserve(places_bytes + size, row);
  if (places_bytes != 0) std::memcpy(out, places_.data(), places_bytes);
  out += places_bytes;
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    std::memcpy(out, fields[i].data(), fields[i].size());
    out += fields[i].size();
    *out++ = i + 1 == std::size(fields) ? kRecordSeparator[0] : kFieldSeparator[0];
  }
  row.size = static_cast<std::uint32_t>(size);
  row.places = static_cast<std::uint32_t>(places_.size());
  rows_.push_back(row);
  seqs_.push_back(seq);
}

void RowStore::Finish() {
  rows_.shrink_to_fit();
  any_takes_origin_ =
      std::any_of(rows_.begin(), rows_.end(), [](const Row& row) { return row.places != 0; });
  if (seqs_.empty()) return;
  const std::int64_t span = seqs_.back() - seqs_.front() + 1;
  if (span > kMaxGapsPerRow * static_cast<std::int64_t>(seqs_.size()) + 1024) {
    seqs_.shrink_to_fit();
    return;
  }
  first_seq_ = seqs_.front();
  by_seq_.assign(static_cast<std::size_t>(span), kNoRow);
  for (std::size_t row = 0; row < seqs_.size(); ++row) {
    by_seq_[static_cast<std::size_t>(seqs_[row] - first_seq_)] = static_cast<std::uint32_t>(row);
  }
  std::vector<std::int64_t>().swap(seqs_);
}

std::size_t RowStore::Find(std::int64_t seq) const {
  if (!by_seq_.empty()) {
    if (seq < first_seq_ || seq - first_seq_ >= static_cast<std::int64_t>(by_seq_.size())) {
      return kNone;
    }
    const std::uint32_t row = by_seq_[static_cast<std::size_t>(seq - first_seq_)];
    return row == kNoRow ? kNone : row;
  }
  const auto found = std::lower_bound(seqs_.begin(), seqs_.end(), seq);
  if (found == seqs_.end() || *found != seq) return kNone;
  return static_cast<std::size_t>(found - seqs_.begin());
}

std::string_view RowStore::EntryId(std::uint32_t row) const {
  std::string_view record = Record(rows_[row]);
  record.remove_suffix(1);  // the record separator
  return record.substr(record.rfind(kFieldSeparator[0]) + 1);
}

void RowStore::SetIdOrder(std::vector<std::uint32_t> rows) {
  const auto by_id = [this](std::uint32_t a, std::uint32_t b) { return EntryId(a) < EntryId(b); };
  if (!std::is_sorted(rows.begin(), rows.end(), by_id)) std::sort(rows.begin(), rows.end(), by_id);
  by_id_ = std::move(rows);
}

std::size_t RowStore::FindId(std::string_view entry_id) const {
  const auto found = std::lower_bound(
      by_id_.begin(), by_id_.end(), entry_id,
      [this](std::uint32_t row, std::string_view id) { return EntryId(row) < id; });
  if (found == by_id_.end() || EntryId(*found) != entry_id) return kNone;
  return *found;
}

std::string_view RowStore::Record(const Row& row) const {
  return std::string_view(
      blocks_[row.block].get() + row.offset + row.places * sizeof(std::uint32_t), row.size);
}

std::size_t RowStore::RecordSizeBound(std::size_t row, std::string_view origin) const {
  return rows_[row].size + rows_[row].places * origin.size();
}

void RowStore::AppendRecord(std::size_t row, std::string_view origin, std::string& out) const {
  const Row& r = rows_[row];
  const std::string_view record = Record(r);
  const char* places = blocks_[r.block].get() + r.offset;
  std::size_t done = 0;
  for (std::uint32_t i = 0; i < r.places; ++i) {
    std::uint32_t place = 0;
    std::memcpy(&place, places + i * sizeof place, sizeof place);
    out.append(record.substr(done, place - done)).append(origin);
    done = place;
  }
  out.append(record.substr(done));
}

CatalogueEntry RowStore::Entry(std::size_t row) const {
  std::string_view record = Record(rows_[row]);
  record.remove_suffix(1);  // the record separator
  std::string fields[6];
  for (std::size_t i = 0; i < 6; ++i) {
    const std::size_t end = i == 5 ? record.size() : record.find(kFieldSeparator);
    fields[i] = std::string(record.substr(0, end));
    record.remove_prefix(i == 5 ? record.size() : end + 1);
  }
  return CatalogueEntry{std::move(fields[0]), std::move(fields[1]), std::move(fields[2]),
                        std::move(fields[3]), std::move(fields[4]), std::move(fields[5])};
}

std::size_t RowStore::MemoryBytes() const {
  return block_bytes_ + rows_.capacity() * sizeof(Row) + seqs_.capacity() * sizeof(std::int64_t) +
         by_seq_.capacity() * sizeof(std::uint32_t) + blocks_.capacity() * sizeof(blocks_[0]) +
         places_.capacity() * sizeof(std::uint32_t);
}

}  // namespace quorvel::service
