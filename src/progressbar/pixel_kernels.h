#pragma once

// The per-pixel loops of the gradient painters and of the image device
// context. Each has a portable form and, on x86-64 processors with AVX2, a
// vector form picked at run time; both give the same bytes.

#include <cstdint>

namespace quorvel::progressbar::pixel_kernels {

enum class VectorForms { kNone, kAvx2 };

// The widest vector forms in use: those of the processor, up to the limit.
VectorForms ActiveVectorForms();
// Tests lower the limit to check the narrower forms, and raise it again
// (kAvx2, the default, means no limit).
void LimitVectorForms(VectorForms limit);

// For i < count: even[i] = round(step * i) and odd[i] = round(1 + step * i) - 1,
// the product in double precision from the single-precision step, rounded to
// the nearest integer with halves to even (so the two differ only where
// step * i ends in exactly one half). Every result must lie in 0..255 (true
// for 0 <= step * count <= 255 + its rounding).
// With `odd` null only the even sequence is written.
void RampSequences(float step, std::int32_t count, std::uint8_t* even, std::uint8_t* odd);

// Whether step * i ends in exactly one half for some 0 <= i < count, that is
// whether the two sequences of RampSequences() differ. step >= 0.
bool HasHalves(float step, std::int32_t count);

// One channel of a scan line: start plus (or, with `negative`, minus)
// sequence[i], modulo 256.
struct ChannelSource {
  const std::uint8_t* sequence;
  std::uint8_t start;
  bool negative;
};

// Packs count pixels as triples blue, green, red into out (3 * count bytes).
void AssembleTriples(const ChannelSource& blue, const ChannelSource& green,
                     const ChannelSource& red, std::int32_t count, std::uint8_t* out);

// count triples blue, green, red to 0xFFRRGGBB words. Reads no byte past the
// last triple.
void TriplesToRgb32(const std::uint8_t* triples, std::uint32_t* out, std::int64_t count);

// out[0..count) = value.
void Fill32(std::uint32_t* out, std::int64_t count, std::uint32_t value);

}  // namespace quorvel::progressbar::pixel_kernels
