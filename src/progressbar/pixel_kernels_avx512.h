#pragma once

// Internal to pixel_kernels.cpp: the AVX-512 forms (F, BW, VL and VBMI), present
// on x86-64 builds only and called only where the processor has them. Same
// contracts as the public functions of pixel_kernels.h.

#include <cstdint>

#include "progressbar/pixel_kernels.h"

namespace quorvel::progressbar::pixel_kernels::avx512 {

void RampSequences(float step, std::int32_t count, std::uint8_t* even, std::uint8_t* odd);
void AssembleTriples(const ChannelSource& blue, const ChannelSource& green,
                     const ChannelSource& red, std::int32_t count, std::uint8_t* out);
void TriplesToRgb32(const std::uint8_t* triples, std::uint32_t* out, std::int64_t count);

}  // namespace quorvel::progressbar::pixel_kernels::avx512
