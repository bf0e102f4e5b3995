#pragma once

#include <cstdint>
#include <string_view>

namespace quorvel::service {

// A byte trigram of a text, as GramPostings keys its lists: three slots of
// nine bits, a byte b being slot b + 1 and slot 0 the end mark that pads the
// last two trigrams of a text.  The first slot is never the end mark, so no
// trigram is 0.
using Gram = std::uint32_t;

inline constexpr unsigned kGramSlotBits = 9;
inline constexpr Gram kGramSlotMask = (Gram{1} << kGramSlotBits) - 1;

inline Gram GramSlot(char byte) { return static_cast<unsigned char>(byte) + Gram{1}; }

inline Gram GramOf(char first, char second, char third) {
  return GramSlot(first) << (2 * kGramSlotBits) | GramSlot(second) << kGramSlotBits |
         GramSlot(third);
}

// A text's grams in brief: one bit set for each, at a place the gram's hash
// chooses.  A text cannot contain a key unless its sketch holds every bit of
// the key's, which one load and a mask can tell: the cheap first check of a
// candidate before its text is read.
using GramSketch = std::uint64_t;

inline GramSketch SketchBit(Gram gram) {
  return GramSketch{1} << ((gram * std::uint64_t{0x9E3779B97F4A7C15}) >> 58);
}

// Calls f(gram) for the gram starting at each byte of `text`, in order.
template <typename F>
void ForEachGram(std::string_view text, F f) {
  constexpr Gram kMask = (Gram{1} << (3 * kGramSlotBits)) - 1;
  const std::size_t size = text.size();
  const char* bytes = text.data();
  Gram gram =
      (size > 0 ? GramSlot(bytes[0]) << kGramSlotBits : 0) | (size > 1 ? GramSlot(bytes[1]) : 0);
  for (std::size_t at = 0; at < size; ++at) {
    gram = ((gram << kGramSlotBits) | (at + 2 < size ? GramSlot(bytes[at + 2]) : 0)) & kMask;
    f(gram);
  }
}

}  // namespace quorvel::service
