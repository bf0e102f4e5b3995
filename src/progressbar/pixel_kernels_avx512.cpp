#include "progressbar/pixel_kernels_avx512.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

// GCC 12 takes the deliberately undefined sources inside its AVX-512 headers
// for uninitialised variables; the warnings are placed in the header itself.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#define QUORVEL_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi")))

namespace quorvel::progressbar::pixel_kernels::avx512 {

namespace {

// The low n bits set, for n up to 64.
std::uint64_t LowBits(std::int64_t n) {
  return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
}

// Sixteen doubles to sixteen bytes, each rounded to nearest, halves to even,
// and taken modulo 256.
QUORVEL_AVX512 __m128i RoundedBytes(__m512d low, __m512d high) {
  const __m512i words = _mm512_inserti64x4(_mm512_castsi256_si512(_mm512_cvtpd_epi32(low)),
                                           _mm512_cvtpd_epi32(high), 1);
  return _mm512_cvtepi32_epi8(words);
}

// Byte indices that place 64 pixels of three planes as packed triples, 64
// bytes (one chunk) at a time: blue and green through a two-source permute,
// red through a masked one.
struct InterleaveTables {
  alignas(64) std::uint8_t blue_green[3][64];
  alignas(64) std::uint8_t red[3][64];
  std::uint64_t red_mask[3];
  InterleaveTables() {
    for (int chunk = 0; chunk < 3; ++chunk) {
      red_mask[chunk] = 0;
      for (int t = 0; t < 64; ++t) {
        const int q = chunk * 64 + t;
        const auto pixel = static_cast<std::uint8_t>(q / 3);
        const int channel = q % 3;
        blue_green[chunk][t] = channel == 1 ? static_cast<std::uint8_t>(64 + pixel) : pixel;
        red[chunk][t] = pixel;
        if (channel == 2) red_mask[chunk] |= std::uint64_t{1} << t;
      }
    }
  }
};

const InterleaveTables& Tables() {
  static const InterleaveTables tables;
  return tables;
}

struct PlaneReader {
  const std::uint8_t* sequence;
  __m512i flip;
  __m512i start;
};

QUORVEL_AVX512 PlaneReader MakeReader(const ChannelSource& source) {
  return {source.sequence, _mm512_set1_epi8(static_cast<char>(source.negative ? 0xFF : 0)),
          _mm512_set1_epi8(static_cast<char>(source.start + (source.negative ? 1 : 0)))};
}

// start + sequence, or start - sequence as (start + 1) + (sequence XOR 0xFF);
// only the bytes in `mask` are read.
QUORVEL_AVX512 __m512i ReadPlane(const PlaneReader& reader, std::int32_t i, __mmask64 mask) {
  const __m512i sequence = _mm512_maskz_loadu_epi8(mask, reader.sequence + i);
  return _mm512_add_epi8(reader.start, _mm512_xor_si512(sequence, reader.flip));
}

}  // namespace

QUORVEL_AVX512 void RampSequences(float step, std::int32_t count, std::uint8_t* even,
                                  std::uint8_t* odd) {
  const __m512d step8 = _mm512_set1_pd(static_cast<double>(step));
  const __m512d one = _mm512_set1_pd(1.0);
  const __m128i one16 = _mm_set1_epi8(1);
  const __m512d sixteen = _mm512_set1_pd(16.0);
  __m512d low = _mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7);
  __m512d high = _mm512_setr_pd(8, 9, 10, 11, 12, 13, 14, 15);
  for (std::int32_t i = 0; i < count; i += 16) {
    // The last block may run past count: its extra entries are not stored.
    const auto mask = static_cast<__mmask16>(LowBits(count - i));
    // Product and sum as two roundings, as in the scalar form; the
    // conversion rounds to nearest, halves to even.
    const __m512d product_low = _mm512_mul_pd(step8, low);
    const __m512d product_high = _mm512_mul_pd(step8, high);
    _mm_mask_storeu_epi8(even + i, mask, RoundedBytes(product_low, product_high));
    if (odd != nullptr) {
      // Modulo 256, round(1 + x) - 1 is right even where round(1 + x) is 256.
      const __m128i shifted =
          RoundedBytes(_mm512_add_pd(product_low, one), _mm512_add_pd(product_high, one));
      _mm_mask_storeu_epi8(odd + i, mask, _mm_sub_epi8(shifted, one16));
    }
    low = _mm512_add_pd(low, sixteen);
    high = _mm512_add_pd(high, sixteen);
  }
}

QUORVEL_AVX512 void AssembleTriples(const ChannelSource& blue, const ChannelSource& green,
                                    const ChannelSource& red, std::int32_t count,
                                    std::uint8_t* out) {
  const InterleaveTables& tables = Tables();
  __m512i blue_green[3];
  __m512i red_index[3];
  for (int chunk = 0; chunk < 3; ++chunk) {
    blue_green[chunk] = _mm512_load_si512(tables.blue_green[chunk]);
    red_index[chunk] = _mm512_load_si512(tables.red[chunk]);
  }
  const PlaneReader readers[3] = {MakeReader(blue), MakeReader(green), MakeReader(red)};
  for (std::int32_t i = 0; i < count; i += 64) {
    const std::int64_t pixels = count - i;
    const __mmask64 mask = LowBits(pixels);
    const __m512i b = ReadPlane(readers[0], i, mask);
    const __m512i g = ReadPlane(readers[1], i, mask);
    const __m512i r = ReadPlane(readers[2], i, mask);
    std::uint8_t* target = out + 3 * static_cast<std::int64_t>(i);
    for (int chunk = 0; chunk < 3; ++chunk) {
      const __m512i packed =
          _mm512_mask_permutexvar_epi8(_mm512_permutex2var_epi8(b, blue_green[chunk], g),
                                       tables.red_mask[chunk], red_index[chunk], r);
      // Only the bytes of the pixels that exist are written.
      const std::int64_t left = 3 * pixels - 64 * chunk;
      if (left <= 0) break;
      _mm512_mask_storeu_epi8(target + 64 * chunk, LowBits(left), packed);
    }
  }
}

QUORVEL_AVX512 void TriplesToRgb32(const std::uint8_t* triples, std::uint32_t* out,
                                   std::int64_t count) {
  alignas(64) static const std::uint8_t kSpread[64] = {
      0,  1,  2,  0,  3,  4,  5,  0,  6,  7,  8,  0,  9,  10, 11, 0,  12, 13, 14, 0,  15, 16,
      17, 0,  18, 19, 20, 0,  21, 22, 23, 0,  24, 25, 26, 0,  27, 28, 29, 0,  30, 31, 32, 0,
      33, 34, 35, 0,  36, 37, 38, 0,  39, 40, 41, 0,  42, 43, 44, 0,  45, 46, 47, 0};
  const __m512i spread = _mm512_load_si512(kSpread);
  const __m512i opaque = _mm512_set1_epi32(static_cast<int>(0xFF000000u));
  for (std::int64_t i = 0; i < count; i += 16) {
    // Sixteen pixels are 48 bytes; the last block reads and writes only what
    // is there.
    const std::int64_t pixels = count - i;
    const __m512i bytes = _mm512_maskz_loadu_epi8(LowBits(3 * pixels), triples + 3 * i);
    const __m512i words = _mm512_or_si512(_mm512_permutexvar_epi8(spread, bytes), opaque);
    _mm512_mask_storeu_epi32(out + i, static_cast<__mmask16>(LowBits(pixels)), words);
  }
}

}  // namespace quorvel::progressbar::pixel_kernels::avx512

#endif
