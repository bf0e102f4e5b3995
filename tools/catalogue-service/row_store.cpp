#include "catalogue-service/row_store.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "catalogue-service/listing_protocol.h"
#include "catalogue-service/listing_reply.h"
#include "catalogue-service/sqlite_handle.h"

namespace quorvel::service {
namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
constexpr std::uint32_t kNoRow = std::numeric_limits<std::uint32_t>::max();
// Lookup table entries allowed per row before Find() searches instead.
constexpr std::int64_t kMaxGapsPerRow = 4;

std::size_t CountOf(std::string_view text, std::string_view part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos;
       at = text.find(part, at + part.size())) {
    ++count;
  }
  return count;
}

}  // namespace

void RowStore::Add(std::int64_t seq, const CatalogueEntry& entry) {
  Add(seq, entry.category, entry.title, entry.licence_mode, entry.update_time, entry.download_links,
      entry.entry_id);
}

char* RowStore::Reserve(std::size_t bytes, Row& row) {
  if (blocks_.empty() || block_size_ - block_used_ < bytes) {
    block_size_ = std::max(bytes, kBlockBytes);
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(block_size_));
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
  std::size_t bytes = 0;
  for (const std::string_view field : fields) bytes += field.size() + 1;
  if (bytes > std::numeric_limits<std::uint32_t>::max() / 2) {
    throw StoreError("entry " + std::to_string(seq) + " is too large to hold");
  }
  Row row{};
  char* out = Reserve(bytes, row);
  std::size_t used = 0;
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    if (i == 4) {
      row.links_offset = static_cast<std::uint32_t>(used);
      row.links_size = static_cast<std::uint32_t>(download_links.size());
    }
    std::memcpy(out + used, fields[i].data(), fields[i].size());
    used += fields[i].size();
    out[used++] = i + 1 == std::size(fields) ? kRecordSeparator[0] : kFieldSeparator[0];
  }
  row.size = static_cast<std::uint32_t>(bytes);
  row.links_count = static_cast<std::uint32_t>(CountOf(download_links, kLinkNameSeparator));
  rows_.push_back(row);
  seqs_.push_back(seq);
}

void RowStore::Finish() {
  rows_.shrink_to_fit();
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

std::string_view RowStore::Record(const Row& row) const {
  return std::string_view(blocks_[row.block].get() + row.offset, row.size);
}

std::size_t RowStore::RecordSizeBound(std::size_t row, std::string_view origin) const {
  return rows_[row].size + rows_[row].links_count * origin.size();
}

void RowStore::AppendRecord(std::size_t row, std::string_view origin, std::string& out) const {
  const Row& r = rows_[row];
  const std::string_view record = Record(r);
  out.append(record.substr(0, r.links_offset));
  if (r.links_count == 0) {
    out.append(record.substr(r.links_offset));
    return;
  }
  AppendResolvedLinks(record.substr(r.links_offset, r.links_size), origin, out);
  out.append(record.substr(r.links_offset + r.links_size));
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

}  // namespace quorvel::service
