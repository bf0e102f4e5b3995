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
