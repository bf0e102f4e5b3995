#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "service/store/byte_trigram.h"

namespace quorvel::service {

// The lists of GramPostings, gathered in one pass over the texts.
//
// Every byte of every text sends its gram to that gram's list, each in
// another place in memory: waiting for each place in turn would take most of
// the build.  So the lists of one text's grams are found first, and then the
// text is added to each, in both steps asking for the memory a few grams
// ahead.  Each list grows in a chain of blocks, each twice the size of the one
// before up to a limit, and is copied out whole at the end.
class GramListBuilder {
 public:
  GramListBuilder();
  ~GramListBuilder();
  GramListBuilder(const GramListBuilder&) = delete;
  GramListBuilder& operator=(const GramListBuilder&) = delete;

  // Adds the next text: the first is text 0.
  void Add(std::string_view text);

  struct Lists {
    std::vector<Gram> grams;            // sorted
    std::vector<std::uint32_t> counts;  // numbers in each gram's list
    std::vector<std::uint64_t> starts;  // of each list in bytes, and one for the end
    std::vector<std::uint8_t> bytes;    // each list's text numbers, ascending, as varint gaps
    std::vector<GramSketch> sketches;   // of each text, of the grams it holds whole
  };
  // Every list, one after the other in gram order.  Ends the build.
  Lists Finish();

 private:
  // Where a byte lies in the chunks: chunk number, then place in the chunk.
  using Spot = std::uint32_t;

  // What the build touches every time a gram occurs, kept to a quarter of a
  // cache line: the gram, the last text added to its list (plus one; 0 for
  // none yet), and where its last block is written and ends.
  struct List {
    Gram gram = 0;  // 0 for a free place
    std::uint32_t last = 0;
    Spot write = 0;
    Spot end = 0;
  };
  // After the bytes of each block.  A list's first block holds kFirstBlock
  // bytes, each further one twice as many as the one before, up to a limit.
  struct Link {
    Spot next;
    std::uint32_t used;
    std::uint32_t capacity;
  };

  std::uint8_t* At(Spot spot) const;
  std::size_t Home(Gram gram) const;
  // Starts the list of `gram` at `place`, which is free; false when the table
  // had to grow instead, which moves every list.
  bool Insert(std::size_t place, Gram gram);
  void Grow();
  Spot NewBlock(std::uint32_t capacity);
  // Gives `list` a new last block, as its last one is full.
  void NextBlock(List& list);
  // Calls f(bytes, size) for each block of `list`, whose first block is `head`.
  template <typename F>
  void ForEachBlock(const List& list, Spot head, F f) const;

  std::vector<List> table_;  // open addressing, at most three quarters full
  std::vector<Spot> heads_;  // first block of each list, at its place in table_
  unsigned shift_;           // 64 less the table's size in bits
  std::size_t used_ = 0;
  std::vector<std::unique_ptr<std::uint8_t[]>> chunks_;
  Spot free_ = 0;  // in the last chunk
  std::uint32_t chunk_left_ = 0;
  std::uint32_t texts_ = 0;
  std::vector<GramSketch> sketches_;
  std::vector<Gram> grams_;            // of the text being added
  std::vector<std::uint32_t> places_;  // in table_, of each of them
};

}  // namespace quorvel::service
