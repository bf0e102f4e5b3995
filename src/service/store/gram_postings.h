#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "service/store/byte_trigram.h"
#include "service/store/gram_list_builder.h"

namespace quorvel::service {

// For every byte trigram of a set of texts, which texts hold it: enough to
// answer "which texts contain this key" from a few lists instead of reading
// every text.
//
// A text of n bytes gives n grams, one starting at each of its bytes; the last
// two run past the end and are padded with an end mark that no byte equals.
// That makes every key of one to three bytes a prefix of the grams it occurs
// in, and the grams sharing a prefix lie side by side in the sorted directory:
// one-, two- and three-byte keys are answered exactly from the lists alone.
// Longer keys get the texts of their rarest trigram's list whose sketches
// (GramSketch, eight bytes a text) may hold all of the key's trigrams, which
// the caller checks.
//
// Each list holds ascending text numbers, stored as varint gaps (a byte or two
// a number where a plain list would take four).  Built once, then only read:
// safe to read from several threads.
class GramPostings {
 public:
  using TextNumber = std::uint32_t;

  // Takes the lists a GramListBuilder gathered from `texts` texts.  Throws
  // StoreError when there are more texts than a TextNumber counts.
  void Build(std::size_t texts, GramListBuilder::Lists lists);

  // Replaces `out` with the texts that may contain `key` (not empty), in
  // ascending order.  True when each of them surely does; false when each
  // must still be checked.
  bool Candidates(std::string_view key, std::vector<TextNumber>& out) const;

  std::size_t MemoryBytes() const;

 private:
  struct Range {
    std::size_t first;
    std::size_t last;  // one past
  };

  Range Lookup(Gram lowest, Gram highest) const;
  // The list of `gram`, or kNoList: one or two probes of slots_, where a
  // long key looks up a list for each of its grams.
  static constexpr std::size_t kNoList = static_cast<std::size_t>(-1);
  std::size_t ListOf(Gram gram) const;
  // Appends the numbers of `list` whose sketches hold all of `wanted`.
  void DecodeHolding(std::size_t list, GramSketch wanted, std::vector<TextNumber>& out) const;
  void Decode(std::size_t list, std::vector<TextNumber>& out) const;
  // Keeps the numbers of `texts` that are also in `list`.
  void Intersect(std::size_t list, std::vector<TextNumber>& texts) const;
  void Union(Range lists, std::vector<TextNumber>& out) const;
  bool ContainingAllGrams(std::string_view key, std::vector<TextNumber>& out) const;

  std::size_t texts_ = 0;
  std::vector<Gram> grams_;            // sorted
  std::vector<std::uint32_t> counts_;  // numbers in each gram's list
  std::vector<std::uint64_t> starts_;  // of each list in bytes_, and one for the end
  std::vector<std::uint8_t> bytes_;
  std::vector<GramSketch> sketches_;  // of each text
  // Open addressing on the gram's hash: each list's number plus one at its
  // gram's place or the first free one after it; 0 is free.  Twice as many
  // places as lists, so a probe seldom goes on.
  std::vector<std::uint32_t> slots_;
};

}  // namespace quorvel::service
