// The fast kernel for AVX-512: eight doubles per vector, comparisons into mask registers.
// Compiled with -mavx512f (see compute.cmake); called only after CpuSupports(TKernelIsa::Avx512).
#include "engine/fastkernel_isa.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include "engine/fastkernel_body.h"

namespace {

struct TAvx512 {
  using D = __m512d;
  using M = __mmask8;
  static constexpr int L = 8;
  static constexpr int K = 3;

  static D Set(double v) { return _mm512_set1_pd(v); }
  static D Load(const double* p) { return _mm512_load_pd(p); }
  static void Store(double* p, D v) { _mm512_store_pd(p, v); }
  static D Abs(D a) { return _mm512_abs_pd(a); }
  static M NotLessEq(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_NLE_UQ); }
  static M Less(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
  static M GreaterEq(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_GE_OQ); }
  static M Equal(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ); }
  static M Or(M a, M b) { return static_cast<M>(a | b); }
  static M And(M a, M b) { return static_cast<M>(a & b); }
  static M None() { return 0; }
  static bool Any(M m) { return m != 0; }
  static unsigned Bits(M m) { return m; }
  static M FromBits(unsigned bits) { return static_cast<M>(bits); }
  static D Select(M m, D ifSet, D otherwise) { return _mm512_mask_blend_pd(m, otherwise, ifSet); }
  static D Insert(D v, int lane, double value) {
    return _mm512_mask_mov_pd(v, static_cast<M>(1u << lane), _mm512_set1_pd(value));
  }
};

}  // namespace

bool FastBandAvx512(const TFastBand& band) { return RunFastBand<TAvx512>(band); }

#else

bool FastBandAvx512(const TFastBand&) { return false; }

#endif
