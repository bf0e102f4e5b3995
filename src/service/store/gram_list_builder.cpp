#include "service/store/gram_list_builder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "service/store/sqlite_handle.h"

namespace quorvel::service {
namespace {

// A list's first block is small, as most grams are rare; the largest are big
// enough that copying a list out is a few long copies.
constexpr std::uint32_t kFirstBlock = 16;
constexpr std::uint32_t kLargestBlock = 4096;
constexpr unsigned kChunkBits = 21;
constexpr std::uint32_t kChunk = std::uint32_t{1} << kChunkBits;
constexpr std::size_t kMostChunks = std::size_t{1} << (32 - kChunkBits);
// The longest varint: a block always has room for one more.
constexpr std::uint32_t kLongestNumber = 5;
// How many grams ahead memory is asked for.
constexpr std::size_t kAhead = 6;

std::uint32_t NextCapacity(std::uint32_t capacity) { return std::min(capacity * 2, kLargestBlock); }

}  // namespace

GramListBuilder::GramListBuilder()
    : table_(std::size_t{1} << 10), heads_(table_.size()), shift_(64 - 10) {}

GramListBuilder::~GramListBuilder() = default;

std::uint8_t* GramListBuilder::At(Spot spot) const {
  return chunks_[spot >> kChunkBits].get() + (spot & (kChunk - 1));
}

std::size_t GramListBuilder::Home(Gram gram) const {
  return static_cast<std::size_t>((gram * std::uint64_t{0x9E3779B97F4A7C15}) >> shift_);
}

bool GramListBuilder::Insert(std::size_t place, Gram gram) {
  if ((used_ + 1) * 4 > table_.size() * 3) {
    Grow();
    return false;
  }
  ++used_;
  List& list = table_[place];
  list.gram = gram;
  list.write = heads_[place] = NewBlock(kFirstBlock);
  list.end = list.write + kFirstBlock;
  return true;
}

void GramListBuilder::Grow() {
  std::vector<List> old(table_.size() * 2);
  std::vector<Spot> old_heads(old.size());
  old.swap(table_);
  old_heads.swap(heads_);
  --shift_;
  for (std::size_t place = 0; place < old.size(); ++place) {
    if (old[place].gram == 0) continue;
    std::size_t at = Home(old[place].gram);
    while (table_[at].gram != 0) at = (at + 1) & (table_.size() - 1);
    table_[at] = old[place];
    heads_[at] = old_heads[place];
  }
}

GramListBuilder::Spot GramListBuilder::NewBlock(std::uint32_t capacity) {
  const std::uint32_t bytes = capacity + static_cast<std::uint32_t>(sizeof(Link));
  if (chunk_left_ < bytes) {
    if (chunks_.size() == kMostChunks) throw StoreError("the titles are too large to index");
    chunks_.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(kChunk));
    free_ = static_cast<Spot>((chunks_.size() - 1) << kChunkBits);
    chunk_left_ = kChunk;
  }
  const Spot block = free_;
  const Link link{0, 0, capacity};
  std::memcpy(At(block + capacity), &link, sizeof link);
  free_ += bytes;
  chunk_left_ -= bytes;
  return block;
}

void GramListBuilder::NextBlock(List& list) {
  Link link{};
  std::memcpy(&link, At(list.end), sizeof link);
  const std::uint32_t capacity = NextCapacity(link.capacity);
  link.next = NewBlock(capacity);
  link.used = list.write - (list.end - link.capacity);
  std::memcpy(At(list.end), &link, sizeof link);
  list.write = link.next;
  list.end = link.next + capacity;
}

void GramListBuilder::Add(std::string_view text) {
  if (texts_ == std::numeric_limits<std::uint32_t>::max() - 1) {
    throw StoreError("too many entries to index");
  }
  const std::uint32_t plus_one = ++texts_;
  const std::size_t size = text.size();
  if (grams_.size() < size) {
    grams_.resize(size);
    places_.resize(size);
  }
  // Plain pointers in the loops below: this is the build's inner loop, which
  // runs once for every byte of every title.
  Gram* const grams = grams_.data();
  std::size_t count = 0;
  ForEachGram(text, [&](Gram gram) { grams[count++] = gram; });
  // The last two grams are padded: a key holds them only as the prefixes the
  // lists answer for keys of one or two bytes, never whole.
  GramSketch sketch = 0;
  for (std::size_t at = 0; at + 2 < size; ++at) sketch |= SketchBit(grams[at]);
  sketches_.push_back(sketch);

  // First the list of each gram; a table that grows moves every list, so
  // then the search starts over.
  std::uint32_t* const places = places_.data();
  for (bool found_all = false; !found_all;) {
    found_all = true;
    const List* const table = table_.data();
    const std::size_t last_place = table_.size() - 1;
    for (std::size_t at = 0; at < size && found_all; ++at) {
      if (at + kAhead < size) __builtin_prefetch(table + Home(grams[at + kAhead]));
      std::size_t place = Home(grams[at]);
      while (table[place].gram != grams[at]) {
        if (table[place].gram == 0 && !Insert(place, grams[at])) {
          found_all = false;
          break;
        }
        if (table[place].gram != grams[at]) place = (place + 1) & last_place;
      }
      places[at] = static_cast<std::uint32_t>(place);
    }
  }

  // Then the text goes into each list, once.
  List* const table = table_.data();
  for (std::size_t at = 0; at < size; ++at) {
    if (at + kAhead < size) __builtin_prefetch(At(table[places[at + kAhead]].write), 1);
    List& list = table[places[at]];
    if (list.last == plus_one) continue;  // the gram came earlier in this text
    std::uint32_t gap = plus_one - list.last;
    list.last = plus_one;
    if (list.end - list.write < kLongestNumber) NextBlock(list);
    std::uint8_t* const write = At(list.write);
    std::uint8_t* out = write;
    while (gap >= 0x80) {
      *out++ = static_cast<std::uint8_t>(gap | 0x80);
      gap >>= 7;
    }
    *out++ = static_cast<std::uint8_t>(gap);
    list.write += static_cast<Spot>(out - write);
  }
}

template <typename F>
void GramListBuilder::ForEachBlock(const List& list, Spot head, F f) const {
  Spot block = head;
  for (std::uint32_t capacity = kFirstBlock;; capacity = NextCapacity(capacity)) {
    if (block + capacity == list.end) {
      f(At(block), static_cast<std::size_t>(list.write - block));
      return;
    }
    Link link{};
    std::memcpy(&link, At(block + capacity), sizeof link);
    f(At(block), static_cast<std::size_t>(link.used));
    block = link.next;
  }
}

GramListBuilder::Lists GramListBuilder::Finish() {
  std::vector<std::size_t> sorted;
  sorted.reserve(used_);
  std::uint64_t total = 0;
  for (std::size_t place = 0; place < table_.size(); ++place) {
    if (table_[place].gram == 0) continue;
    sorted.push_back(place);
    ForEachBlock(table_[place], heads_[place],
                 [&](const std::uint8_t*, std::size_t used) { total += used; });
  }
  std::sort(sorted.begin(), sorted.end(),
            [this](std::size_t a, std::size_t b) { return table_[a].gram < table_[b].gram; });
  Lists lists;
  lists.grams.reserve(sorted.size());
  lists.counts.reserve(sorted.size());
  lists.starts.reserve(sorted.size() + 1);
  lists.bytes.reserve(static_cast<std::size_t>(total));
  for (const std::size_t place : sorted) {
    lists.grams.push_back(table_[place].gram);
    lists.starts.push_back(lists.bytes.size());
    std::uint32_t count = 0;
    ForEachBlock(table_[place], heads_[place], [&](const std::uint8_t* bytes, std::size_t used) {
      // A varint ends at each byte below 0x80: one a number.
      count += static_cast<std::uint32_t>(
          std::count_if(bytes, bytes + used, [](std::uint8_t byte) { return byte < 0x80; }));
      lists.bytes.insert(lists.bytes.end(), bytes, bytes + used);
    });
    lists.counts.push_back(count);
  }
  lists.starts.push_back(lists.bytes.size());
  lists.sketches = std::move(sketches_);
  chunks_.clear();
  table_.clear();
  heads_.clear();
  return lists;
}

}  // namespace quorvel::service
