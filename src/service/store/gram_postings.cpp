#include "service/store/gram_postings.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "service/store/gram_list_builder.h"
#include "service/store/sqlite_handle.h"

namespace quorvel::service {
namespace {

using TextNumber = GramPostings::TextNumber;

// The gap to the next number of a list, read from `in`, which moves past it.
std::uint32_t ReadGap(const std::uint8_t*& in) {
  std::uint32_t gap = 0;
  for (unsigned shift = 0;; shift += 7) {
    const std::uint8_t byte = *in++;
    gap |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
    if (byte < 0x80) return gap;
  }
}

// Calls f(text number) for each number of a list, ascending.
template <typename F>
void ForEachIn(const std::uint8_t* in, std::uint32_t count, F f) {
  TextNumber value = 0;  // plus one
  for (std::uint32_t i = 0; i < count; ++i) {
    value += ReadGap(in);
    f(value - 1);
  }
}

std::size_t SlotOf(Gram gram, std::size_t mask) {
  return static_cast<std::size_t>((gram * std::uint64_t{0x9E3779B97F4A7C15}) >> 32) & mask;
}

}  // namespace

void GramPostings::Build(std::size_t texts, GramListBuilder::Lists lists) {
  if (texts >= std::numeric_limits<TextNumber>::max()) {
    throw StoreError("too many entries to index: " + std::to_string(texts));
  }
  texts_ = texts;
  grams_ = std::move(lists.grams);
  counts_ = std::move(lists.counts);
  starts_ = std::move(lists.starts);
  bytes_ = std::move(lists.bytes);
  sketches_ = std::move(lists.sketches);
  if (sketches_.size() != texts) throw StoreError("the search index lost count of the titles");
  if (grams_.size() >= std::numeric_limits<std::uint32_t>::max() / 4) {
    throw StoreError("too many distinct parts of titles to index: " +
                     std::to_string(grams_.size()));
  }
  slots_.assign(std::bit_ceil(2 * grams_.size() + 1), 0);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t list = 0; list < grams_.size(); ++list) {
    std::size_t slot = SlotOf(grams_[list], mask);
    while (slots_[slot] != 0) slot = (slot + 1) & mask;
    slots_[slot] = static_cast<std::uint32_t>(list + 1);
  }
}

std::size_t GramPostings::ListOf(Gram gram) const {
  if (slots_.empty()) return kNoList;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = SlotOf(gram, mask); slots_[slot] != 0; slot = (slot + 1) & mask) {
    if (grams_[slots_[slot] - 1] == gram) return slots_[slot] - 1;
  }
  return kNoList;
}

void GramPostings::Decode(std::size_t list, std::vector<TextNumber>& out) const {
  out.reserve(out.size() + counts_[list]);
  ForEachIn(bytes_.data() + starts_[list], counts_[list], [&](TextNumber t) { out.push_back(t); });
}

void GramPostings::DecodeHolding(std::size_t list, GramSketch wanted,
                                 std::vector<TextNumber>& out) const {
  // Decoded a block at a time, each number's sketch asked for as it comes, so
  // that the sketches are at hand when the block is checked.
  constexpr std::uint32_t kBlock = 32;
  const GramSketch* const sketches = sketches_.data();
  const std::uint8_t* in = bytes_.data() + starts_[list];
  TextNumber block[kBlock];
  TextNumber last = 0;  // plus one
  for (std::uint32_t left = counts_[list]; left > 0;) {
    const std::uint32_t size = std::min(left, kBlock);
    for (std::uint32_t i = 0; i < size; ++i) {
      last += ReadGap(in);
      block[i] = last - 1;
      __builtin_prefetch(sketches + block[i]);
    }
    for (std::uint32_t i = 0; i < size; ++i) {
      if ((sketches[block[i]] & wanted) == wanted) out.push_back(block[i]);
    }
    left -= size;
  }
}

void GramPostings::Intersect(std::size_t list, std::vector<TextNumber>& texts) const {
  std::size_t read = 0;
  std::size_t kept = 0;
  ForEachIn(bytes_.data() + starts_[list], counts_[list], [&](TextNumber t) {
    while (read < texts.size() && texts[read] < t) ++read;
    if (read < texts.size() && texts[read] == t) texts[kept++] = texts[read++];
  });
  texts.resize(kept);
}

GramPostings::Range GramPostings::Lookup(Gram lowest, Gram highest) const {
  const auto first = std::lower_bound(grams_.begin(), grams_.end(), lowest);
  const auto last = std::upper_bound(first, grams_.end(), highest);
  return {static_cast<std::size_t>(first - grams_.begin()),
          static_cast<std::size_t>(last - grams_.begin())};
}

void GramPostings::Union(Range lists, std::vector<TextNumber>& out) const {
  std::uint64_t total = 0;
  for (std::size_t list = lists.first; list < lists.last; ++list) total += counts_[list];
  if (lists.last - lists.first <= 1 || total * 16 < texts_) {
    for (std::size_t list = lists.first; list < lists.last; ++list) Decode(list, out);
    if (lists.last - lists.first > 1) {
      std::sort(out.begin(), out.end());
      out.erase(std::unique(out.begin(), out.end()), out.end());
    }
    return;
  }
  // Many lists over much of the catalogue: mark the texts in a bitmap, which
  // sorts and removes duplicates in one walk.
  std::vector<std::uint64_t> marked((texts_ + 63) / 64);
  for (std::size_t list = lists.first; list < lists.last; ++list) {
    ForEachIn(bytes_.data() + starts_[list], counts_[list],
              [&](TextNumber t) { marked[t / 64] |= std::uint64_t{1} << (t % 64); });
  }
  for (std::size_t word = 0; word < marked.size(); ++word) {
    for (std::uint64_t bits = marked[word]; bits != 0; bits &= bits - 1) {
      out.push_back(static_cast<TextNumber>(word * 64 + std::countr_zero(bits)));
    }
  }
}

bool GramPostings::ContainingAllGrams(std::string_view key, std::vector<TextNumber>& out) const {
  std::vector<std::size_t> lists;
  GramSketch wanted = 0;
  lists.reserve(key.size());
  for (std::size_t at = 0; at + 2 < key.size(); ++at) {
    const Gram gram = GramOf(key[at], key[at + 1], key[at + 2]);
    const std::size_t list = ListOf(gram);
    if (list == kNoList) return true;  // no text holds this part of the key
    lists.push_back(list);
    wanted |= SketchBit(gram);
  }
  // Rarest first; a gram the key holds twice comes out once.
  std::sort(lists.begin(), lists.end(), [&](std::size_t a, std::size_t b) {
    return counts_[a] != counts_[b] ? counts_[a] < counts_[b] : a < b;
  });
  lists.erase(std::unique(lists.begin(), lists.end()), lists.end());
  if (key.size() == 3) {
    Decode(lists.front(), out);
    return true;
  }
  // No further list is short enough to narrow the rarest one's (below): its
  // texts are checked against the sketches as they are read.
  if (lists.size() == 1 || counts_[lists[1]] >= counts_[lists.front()] / 2) {
    DecodeHolding(lists.front(), wanted, out);
    return false;
  }
  Decode(lists.front(), out);
  // A further list narrows the candidates only while reading it costs less
  // than the sketch check it saves, a load and a mask for each candidate.
  for (std::size_t i = 1; i < lists.size() && counts_[lists[i]] < out.size() / 2; ++i) {
    Intersect(lists[i], out);
  }
  // The texts lacking one of the key's grams, as their sketches tell, go
  // without their text being read.  Candidates ascend, so the sketches are
  // asked for a few ahead.
  constexpr std::size_t kAhead = 8;
  std::size_t kept = 0;
  const GramSketch* const sketches = sketches_.data();
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (i + kAhead < out.size()) __builtin_prefetch(sketches + out[i + kAhead]);
    const TextNumber text = out[i];
    if ((sketches[text] & wanted) == wanted) out[kept++] = text;
  }
  out.resize(kept);
  return false;
}

bool GramPostings::Candidates(std::string_view key, std::vector<TextNumber>& out) const {
  out.clear();
  if (key.size() >= 3) return ContainingAllGrams(key, out);
  // Every gram that starts with the key: a block of the sorted directory.
  Gram lowest = GramSlot(key[0]) << (2 * kGramSlotBits);
  Gram highest = lowest | (kGramSlotMask << kGramSlotBits) | kGramSlotMask;
  if (key.size() == 2) {
    lowest |= GramSlot(key[1]) << kGramSlotBits;
    highest = lowest | kGramSlotMask;
  }
  Union(Lookup(lowest, highest), out);
  return true;
}

std::size_t GramPostings::MemoryBytes() const {
  return grams_.capacity() * sizeof(Gram) + counts_.capacity() * sizeof(std::uint32_t) +
         starts_.capacity() * sizeof(std::uint64_t) + bytes_.capacity() +
         sketches_.capacity() * sizeof(GramSketch) + slots_.capacity() * sizeof(std::uint32_t);
}

}  // namespace quorvel::service
