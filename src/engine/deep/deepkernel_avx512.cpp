// The deep kernel for AVX-512: eight doubles per vector, comparisons into mask registers,
// gathers of the reference values. Compiled with -mavx512f (see deep.cmake); called only after
// CpuSupports(TKernelIsa::Avx512).
#include "engine/deep/deepkernel_isa.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include "engine/deep/deepkernel_body.h"

namespace {

struct TAvx512Deep {
  using D = __m512d;
  using M = __mmask8;
  using I = __m512i;
  static constexpr int L = 8;
  static constexpr int K = 3;

  static D Set(double v) { return _mm512_set1_pd(v); }
  static D Load(const double* p) { return _mm512_load_pd(p); }
  static void Store(double* p, D v) { _mm512_store_pd(p, v); }
  static I LoadI(const int64_t* p) { return _mm512_load_si512(p); }
  static void StoreI(int64_t* p, I v) { _mm512_store_si512(p, v); }
  static M EqualI(I a, I b) { return _mm512_cmpeq_epi64_mask(a, b); }
  static D Gather(const double* base, I index) {
    // From a zero vector rather than an undefined one: no false dependency, no warning.
    return _mm512_mask_i64gather_pd(_mm512_setzero_pd(), 0xFF, index, base, 8);
  }
  static M NotLessEq(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_NLE_UQ); }
  static M Less(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
  static M LessEq(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_LE_OQ); }
  static M Or(M a, M b) { return static_cast<M>(a | b); }
  static M And(M a, M b) { return static_cast<M>(a & b); }
  static M AndNot(M a, M b) { return static_cast<M>(a & ~b); }
  static D Select(M m, D ifSet, D otherwise) { return _mm512_mask_blend_pd(m, otherwise, ifSet); }
  static I SelectI(M m, I ifSet, I otherwise) {
    return _mm512_mask_blend_epi64(m, otherwise, ifSet);
  }
  static I SetI(int64_t v) { return _mm512_set1_epi64(v); }
  static I IncrementWhere(M m, I v) { return _mm512_mask_add_epi64(v, m, v, _mm512_set1_epi64(1)); }
  static M None() { return 0; }
  static bool Any(M m) { return m != 0; }
  static unsigned Bits(M m) { return m; }
  static M FromBits(unsigned bits) { return static_cast<M>(bits); }
};

}  // namespace

bool DeepBandAvx512(const TDeepBandJob& band) { return RunDeepBandAll<TAvx512Deep>(band); }

#else

bool DeepBandAvx512(const TDeepBandJob&) { return false; }

#endif
