#include "render/checksum.h"

#include <algorithm>

#include <zlib.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZENOLITH_ADLER_AVX2 1
#endif

namespace {

constexpr uint32_t Base = 65521;  // the largest prime below 2^16
// Bytes summed before the sums are reduced: the most (5552) for which the second sum cannot
// overflow 32 bits, rounded down to whole 32-byte steps.
constexpr size_t Run = 5536;

#if ZENOLITH_ADLER_AVX2
__attribute__((target("avx2"))) uint64_t LaneSum(__m256i v) {
  alignas(32) uint32_t lanes[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), v);
  uint64_t sum = 0;
  for (const uint32_t lane : lanes) sum += lane;
  return sum;
}

// Over a run of n bytes x_i from sums a, b: a + sum x_i and b + n a + sum (n - i) x_i. Split in
// 32-byte steps, (n - i) is 32 times the steps still to come plus 32 - (i mod 32): the first
// part adds the byte sums of the steps before each step, the second is a weighted byte sum.
__attribute__((target("avx2"))) uint32_t Adler32Avx2(uint32_t adler, const unsigned char* data,
                                                     size_t size) {
  uint64_t s1 = adler & 0xFFFF;
  uint64_t s2 = adler >> 16;
  const __m256i weights =
      _mm256_setr_epi8(32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15,
                       14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
  const __m256i ones = _mm256_set1_epi16(1);
  const __m256i zero = _mm256_setzero_si256();
  while (size >= 32) {
    const size_t steps = std::min(size, Run) / 32;
    __m256i sums = zero, weighted = zero, before = zero;
    for (size_t k = 0; k < steps; ++k) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + 32 * k));
      before = _mm256_add_epi32(before, sums);
      sums = _mm256_add_epi32(sums, _mm256_sad_epu8(v, zero));
      weighted =
          _mm256_add_epi32(weighted, _mm256_madd_epi16(_mm256_maddubs_epi16(v, weights), ones));
    }
    const size_t bytes = steps * 32;
    s2 = (s2 + bytes * s1 + 32 * LaneSum(before) + LaneSum(weighted)) % Base;
    s1 = (s1 + LaneSum(sums)) % Base;
    data += bytes;
    size -= bytes;
  }
  for (size_t i = 0; i < size; ++i) {
    s1 += data[i];
    s2 += s1;
  }
  return static_cast<uint32_t>((s2 % Base) << 16 | (s1 % Base));
}
#endif

}  // namespace

uint32_t Adler32(uint32_t adler, const unsigned char* data, size_t size) {
#if ZENOLITH_ADLER_AVX2
  static const bool avx2 = __builtin_cpu_supports("avx2");
  if (avx2) return Adler32Avx2(adler, data, size);
#endif
  // zlib counts in 32 bits.
  uLong sum = adler;
  constexpr size_t Piece = size_t{1} << 30;
  for (size_t at = 0; at < size; at += Piece)
    sum = adler32(sum, data + at, static_cast<uInt>(std::min(size - at, Piece)));
  return static_cast<uint32_t>(sum);
}
