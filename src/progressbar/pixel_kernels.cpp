#include "progressbar/pixel_kernels.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QUORVEL_PIXEL_KERNELS_AVX2 1
#include <immintrin.h>
#endif

namespace quorvel::progressbar::pixel_kernels {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

// Adding this to a double in [0, 2^51) leaves its value rounded to an integer,
// halves to even, in the low bits of the sum.
constexpr double kRoundingShift = 6755399441055744.0;  // 1.5 * 2^52

std::uint8_t Rounded(double value) {
  const double shifted = value + kRoundingShift;
  std::uint64_t bits;
  std::memcpy(&bits, &shifted, sizeof bits);
  return static_cast<std::uint8_t>(bits);
}

void RampSequencesPortable(float step, std::int32_t begin, std::int32_t count, std::uint8_t* even,
                           std::uint8_t* odd) {
  for (std::int32_t i = begin; i < count; ++i) {
    const double product = static_cast<double>(step) * i;
    even[i] = Rounded(product);
    if (odd != nullptr) odd[i] = static_cast<std::uint8_t>(Rounded(product + 1.0) - 1);
  }
}

std::uint8_t ChannelByte(const ChannelSource& source, std::int32_t i) {
  return static_cast<std::uint8_t>(source.negative ? source.start - source.sequence[i]
                                                   : source.start + source.sequence[i]);
}

void AssembleTriplesPortable(const ChannelSource& blue, const ChannelSource& green,
                             const ChannelSource& red, std::int32_t begin, std::int32_t count,
                             std::uint8_t* out) {
  for (std::int32_t i = begin; i < count; ++i) {
    out[3 * i] = ChannelByte(blue, i);
    out[3 * i + 1] = ChannelByte(green, i);
    out[3 * i + 2] = ChannelByte(red, i);
  }
}

void TriplesToRgb32Portable(const std::uint8_t* triples, std::uint32_t* out, std::int64_t begin,
                            std::int64_t count) {
  for (std::int64_t i = begin; i < count; ++i) {
    const std::uint8_t* p = triples + 3 * i;
    out[i] = kOpaque | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
  }
}

#ifdef QUORVEL_PIXEL_KERNELS_AVX2

VectorForms ProcessorForms() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return VectorForms::kAvx2;
  return VectorForms::kNone;
}

__attribute__((target("avx2"))) __m128i PackBytes(const __m128i (&words)[4]) {
  return _mm_packus_epi16(_mm_packs_epi32(words[0], words[1]), _mm_packs_epi32(words[2], words[3]));
}

__attribute__((target("avx2"))) void RampSequencesAvx2(float step, std::int32_t count,
                                                       std::uint8_t* even, std::uint8_t* odd) {
  const __m256d step4 = _mm256_set1_pd(static_cast<double>(step));
  const __m256d one = _mm256_set1_pd(1.0);
  const __m128i one4 = _mm_set1_epi32(1);
  const __m256d four = _mm256_set1_pd(4.0);
  __m256d index = _mm256_set_pd(3.0, 2.0, 1.0, 0.0);
  std::int32_t i = 0;
  if (odd == nullptr) {
    for (; i + 16 <= count; i += 16) {
      __m128i even_words[4];
      for (__m128i& word : even_words) {
        word = _mm256_cvtpd_epi32(_mm256_mul_pd(step4, index));
        index = _mm256_add_pd(index, four);
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(even + i), PackBytes(even_words));
    }
  }
  for (; i + 16 <= count; i += 16) {
    __m128i even_words[4];
    __m128i odd_words[4];
    for (int j = 0; j < 4; ++j) {
      // Product and sum as two roundings, as in the scalar form; the
      // conversion rounds to nearest, halves to even.
      const __m256d product = _mm256_mul_pd(step4, index);
      even_words[j] = _mm256_cvtpd_epi32(product);
      odd_words[j] = _mm_sub_epi32(_mm256_cvtpd_epi32(_mm256_add_pd(product, one)), one4);
      index = _mm256_add_pd(index, four);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(even + i), PackBytes(even_words));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(odd + i), PackBytes(odd_words));
  }
  RampSequencesPortable(step, i, count, even, odd);
}

// Shuffle masks that put the bytes of 16 pixels of one plane at their places
// in the 48 packed bytes, chunk by chunk; 0x80 leaves a byte zero.
struct InterleaveMasks {
  alignas(32) std::uint8_t bytes[3][3][32];  // [chunk][channel][byte]
  InterleaveMasks() {
    for (int chunk = 0; chunk < 3; ++chunk) {
      for (int channel = 0; channel < 3; ++channel) {
        for (int t = 0; t < 32; ++t) {
          const int q = chunk * 16 + t % 16;
          bytes[chunk][channel][t] =
              q % 3 == channel ? static_cast<std::uint8_t>(q / 3) : std::uint8_t{0x80};
        }
      }
    }
  }
};

const InterleaveMasks& Masks() {
  static const InterleaveMasks masks;
  return masks;
}

__attribute__((target("avx2"))) __m256i LoadMask(const std::uint8_t* bytes) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(bytes));
}

// One plane of a scan line, 32 pixels at a time: start + sequence, or
// start - sequence computed as (start + 1) + (sequence XOR 0xFF). Kept in
// locals so that the stores of the scan line cannot make the loop reload them.
struct PlaneReader {
  const std::uint8_t* sequence;
  __m256i flip;
  __m256i start;
};

__attribute__((target("avx2"))) PlaneReader MakeReader(const ChannelSource& source) {
  return {source.sequence, _mm256_set1_epi8(static_cast<char>(source.negative ? 0xFF : 0)),
          _mm256_set1_epi8(static_cast<char>(source.start + (source.negative ? 1 : 0)))};
}

__attribute__((target("avx2"))) __m256i ReadPlane(const PlaneReader& reader, std::int32_t i) {
  const __m256i sequence =
      _mm256_loadu_si256(reinterpret_cast<const __m256i*>(reader.sequence + i));
  return _mm256_add_epi8(reader.start, _mm256_xor_si256(sequence, reader.flip));
}

// 16 bytes of packed triples per lane from the three planes.
__attribute__((target("avx2"), always_inline)) inline __m256i Chunk(const __m256i (&planes)[3],
                                                                    const __m256i (&mask)[3]) {
  return _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(planes[0], mask[0]),
                                         _mm256_shuffle_epi8(planes[1], mask[1])),
                         _mm256_shuffle_epi8(planes[2], mask[2]));
}

__attribute__((target("avx2"))) void AssembleTriplesAvx2(const ChannelSource& blue,
                                                         const ChannelSource& green,
                                                         const ChannelSource& red,
                                                         std::int32_t count, std::uint8_t* out) {
  const InterleaveMasks& masks = Masks();
  __m256i mask[3][3];
  for (int chunk = 0; chunk < 3; ++chunk) {
    for (int channel = 0; channel < 3; ++channel) {
      mask[chunk][channel] = LoadMask(masks.bytes[chunk][channel]);
    }
  }
  const PlaneReader readers[3] = {MakeReader(blue), MakeReader(green), MakeReader(red)};
  std::int32_t i = 0;
  for (; i + 32 <= count; i += 32) {
    const __m256i planes[3] = {ReadPlane(readers[0], i), ReadPlane(readers[1], i),
                               ReadPlane(readers[2], i)};
    const __m256i chunk0 = Chunk(planes, mask[0]);
    const __m256i chunk1 = Chunk(planes, mask[1]);
    const __m256i chunk2 = Chunk(planes, mask[2]);
    // Low lanes hold pixels 0-15, high lanes pixels 16-31.
    auto* target = reinterpret_cast<__m256i*>(out + 3 * i);
    _mm256_storeu_si256(target, _mm256_permute2x128_si256(chunk0, chunk1, 0x20));
    _mm256_storeu_si256(target + 1, _mm256_permute2x128_si256(chunk2, chunk0, 0x30));
    _mm256_storeu_si256(target + 2, _mm256_permute2x128_si256(chunk1, chunk2, 0x31));
  }
  AssembleTriplesPortable(blue, green, red, i, count, out);
}

__attribute__((target("avx2"))) void TriplesToRgb32Avx2(const std::uint8_t* triples,
                                                        std::uint32_t* out, std::int64_t count) {
  const __m256i spread =
      _mm256_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128, 0, 1, 2, -128,
                       3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128);
  const __m256i opaque = _mm256_set1_epi32(static_cast<int>(kOpaque));
  std::int64_t i = 0;
  // Each step reads 16 bytes at pixel i and 16 at pixel i + 4, that is up to
  // 4 bytes past pixel i + 7; stopping three pixels early keeps every read
  // inside the triples.
  for (; i + 11 <= count; i += 8) {
    const std::uint8_t* p = triples + 3 * i;
    const __m256i bytes = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), 1);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                        _mm256_or_si256(_mm256_shuffle_epi8(bytes, spread), opaque));
  }
  TriplesToRgb32Portable(triples, out, i, count);
}

__attribute__((target("avx2"))) void Fill32Avx2(std::uint32_t* out, std::int64_t count,
                                                std::uint32_t value) {
  std::int64_t i = 0;
  // Whole aligned 32-byte stores, four at a time, after a short head.
  for (; i < count && (reinterpret_cast<std::uintptr_t>(out + i) & 31) != 0; ++i) out[i] = value;
  const __m256i words = _mm256_set1_epi32(static_cast<int>(value));
  for (; i + 32 <= count; i += 32) {
    auto* target = reinterpret_cast<__m256i*>(out + i);
    _mm256_store_si256(target, words);
    _mm256_store_si256(target + 1, words);
    _mm256_store_si256(target + 2, words);
    _mm256_store_si256(target + 3, words);
  }
  for (; i + 8 <= count; i += 8) {
    _mm256_store_si256(reinterpret_cast<__m256i*>(out + i), words);
  }
  for (; i < count; ++i) out[i] = value;
}

#else

VectorForms ProcessorForms() { return VectorForms::kNone; }

#endif

std::atomic<VectorForms> vector_forms_limit{VectorForms::kAvx2};

bool Avx2Active() { return ActiveVectorForms() >= VectorForms::kAvx2; }

}  // namespace

VectorForms ActiveVectorForms() {
  static const VectorForms available = ProcessorForms();
  return std::min(available, vector_forms_limit.load(std::memory_order_relaxed));
}

void LimitVectorForms(VectorForms limit) {
  vector_forms_limit.store(limit, std::memory_order_relaxed);
}

void RampSequences(float step, std::int32_t count, std::uint8_t* even, std::uint8_t* odd) {
#ifdef QUORVEL_PIXEL_KERNELS_AVX2
  if (Avx2Active()) return RampSequencesAvx2(step, count, even, odd);
#endif
  RampSequencesPortable(step, 0, count, even, odd);
}

bool HasHalves(float step, std::int32_t count) {
  if (!(step > 0.0f) || !std::isfinite(step)) return false;
  // step = odd * 2^exponent. step * i ends in one half exactly when
  // odd * i * 2^exponent does, which needs i to be an odd multiple of
  // 2^(-exponent - 1); the first such i is that power itself.
  int exponent = 0;
  const float fraction = std::frexp(step, &exponent);
  auto odd = static_cast<std::uint32_t>(std::ldexp(fraction, 24));
  exponent -= 24;
  while ((odd & 1u) == 0) {
    odd >>= 1;
    ++exponent;
  }
  if (exponent >= 0) return false;
  const int first_power = -exponent - 1;
  return first_power < 31 && (std::int64_t{1} << first_power) < count;
}

void AssembleTriples(const ChannelSource& blue, const ChannelSource& green,
                     const ChannelSource& red, std::int32_t count, std::uint8_t* out) {
#ifdef QUORVEL_PIXEL_KERNELS_AVX2
  if (Avx2Active()) return AssembleTriplesAvx2(blue, green, red, count, out);
#endif
  AssembleTriplesPortable(blue, green, red, 0, count, out);
}

void TriplesToRgb32(const std::uint8_t* triples, std::uint32_t* out, std::int64_t count) {
#ifdef QUORVEL_PIXEL_KERNELS_AVX2
  if (Avx2Active()) return TriplesToRgb32Avx2(triples, out, count);
#endif
  TriplesToRgb32Portable(triples, out, 0, count);
}

void Fill32(std::uint32_t* out, std::int64_t count, std::uint32_t value) {
#ifdef QUORVEL_PIXEL_KERNELS_AVX2
  if (Avx2Active()) return Fill32Avx2(out, count, value);
#endif
  for (std::int64_t i = 0; i < count; ++i) out[i] = value;
}

}  // namespace quorvel::progressbar::pixel_kernels
