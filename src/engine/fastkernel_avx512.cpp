// The fast kernel for AVX-512: eight doubles per vector, comparisons into mask registers.
// Compiled with -mavx512f (see compute.cmake); called only after CpuSupports(TKernelIsa::Avx512).
#include "engine/fastkernel_isa.h"

#if defined(__x86_64__)
#include <immintrin.h>
#include <sleef.h>

#include "engine/fastkernel_body.h"

namespace {

struct TAvx512 {
  using D = __m512d;
  using M = __mmask8;
  static constexpr int L = 8;
  static constexpr int K = 4;
  static constexpr int KCycles = 2;
  static constexpr int KCyclesSquares = 1;
  static constexpr int KTranscendental = 2;

  static D Set(double v) { return _mm512_set1_pd(v); }
  static D Load(const double* p) { return _mm512_load_pd(p); }
  static void Store(double* p, D v) { _mm512_store_pd(p, v); }
  static void MaskStore(double* p, M m, D v) { _mm512_mask_store_pd(p, m, v); }
  static D Abs(D a) { return _mm512_abs_pd(a); }
  // The masked forms: the plain ones trip a false uninitialised warning in some compilers.
  static D Sqrt(D a) { return _mm512_mask_sqrt_pd(a, 0xFF, a); }
  static D Min(D a, D b) { return _mm512_mask_min_pd(a, 0xFF, a, b); }
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
  // Through a register: compressing or expanding straight to or from memory is slow on some
  // processors.
  static int CompressStore(double* p, M m, D v) {
    _mm512_storeu_pd(p, _mm512_maskz_compress_pd(m, v));
    return __builtin_popcount(m);
  }
  static D ExpandLoad(D v, M m, const double* p) {
    return _mm512_mask_expand_pd(v, m, _mm512_loadu_pd(p));
  }
  static D Insert(D v, int lane, double value) {
    return _mm512_mask_mov_pd(v, static_cast<M>(1u << lane), _mm512_set1_pd(value));
  }

  // SLEEF's deterministic AVX-512 builds without fused multiply-add.
  static D Exp(D a) { return Sleef_cinz_expd8_u10avx512fnofma(a); }
  static void SinCos(D a, D& sin, D& cos) {
    const Sleef___m512d_2 both = Sleef_cinz_sincosd8_u10avx512fnofma(a);
    sin = both.x;
    cos = both.y;
  }
  static D Sinh(D a) { return Sleef_cinz_sinhd8_u10avx512fnofma(a); }
  static D Cosh(D a) { return Sleef_cinz_coshd8_u10avx512fnofma(a); }
  static D Pow(D a, D b) { return Sleef_cinz_powd8_u10avx512fnofma(a, b); }
  static D Asin(D a) { return Sleef_cinz_asind8_u10avx512fnofma(a); }
};

}  // namespace

bool FastBandAvx512(const TFastBand& band) { return RunFastBand<TAvx512>(band); }

void FastFunctionsAvx512(TFastFunction function, const double* x, const double* y, double* out,
                         int count) {
  RunFastFunctions<TAvx512>(function, x, y, out, count);
}

#else

bool FastBandAvx512(const TFastBand&) { return false; }
void FastFunctionsAvx512(TFastFunction, const double*, const double*, double*, int) {}

#endif
