// The fast kernel for AVX2: four doubles per vector. Compiled with -mavx2 (see compute.cmake);
// called only after CpuSupports(TKernelIsa::Avx2).
#include "engine/fastkernel_isa.h"

#if defined(__x86_64__)
#include <immintrin.h>
#include <sleef.h>

#include "engine/fastkernel_body.h"

namespace {

struct TAvx2 {
  using D = __m256d;
  using M = __m256d;  // all ones in a lane that is set
  static constexpr int L = 4;
  static constexpr int K = 4;  // enough independent chains to keep both pipes busy
  static constexpr int KCycles = 2;
  static constexpr int KCyclesSquares = 2;
  static constexpr int KTranscendental = 2;

  static D Set(double v) { return _mm256_set1_pd(v); }
  static D Load(const double* p) { return _mm256_load_pd(p); }
  static void Store(double* p, D v) { _mm256_store_pd(p, v); }
  static void MaskStore(double* p, M m, D v) { _mm256_maskstore_pd(p, _mm256_castpd_si256(m), v); }
  static D Abs(D a) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a); }
  static D Sqrt(D a) { return _mm256_sqrt_pd(a); }
  static D Min(D a, D b) { return _mm256_min_pd(a, b); }
  static M NotLessEq(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_NLE_UQ); }
  static M Less(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
  static M GreaterEq(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_GE_OQ); }
  static M Equal(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
  static M Or(M a, M b) { return _mm256_or_pd(a, b); }
  static M And(M a, M b) { return _mm256_and_pd(a, b); }
  static M None() { return _mm256_setzero_pd(); }
  static bool Any(M m) { return _mm256_testz_pd(m, m) == 0; }
  static unsigned Bits(M m) { return static_cast<unsigned>(_mm256_movemask_pd(m)); }
  static M FromBits(unsigned bits) {
    const __m256i lane = _mm256_set_epi64x(8, 4, 2, 1);
    const __m256i set = _mm256_and_si256(_mm256_set1_epi64x(bits), lane);
    return _mm256_castsi256_pd(_mm256_cmpeq_epi64(set, lane));
  }
  static D Select(M m, D ifSet, D otherwise) { return _mm256_blendv_pd(otherwise, ifSet, m); }
  static D Insert(D v, int lane, double value) {
    const __m256i lanes = _mm256_set_epi64x(3, 2, 1, 0);
    const __m256i which = _mm256_cmpeq_epi64(_mm256_set1_epi64x(lane), lanes);
    return _mm256_blendv_pd(v, _mm256_set1_pd(value), _mm256_castsi256_pd(which));
  }

  // SLEEF's deterministic AVX builds (AVX2 adds nothing they use; no fused multiply-add).
  static D Exp(D a) { return Sleef_cinz_expd4_u10avx(a); }
  static void SinCos(D a, D& sin, D& cos) {
    const Sleef___m256d_2 both = Sleef_cinz_sincosd4_u10avx(a);
    sin = both.x;
    cos = both.y;
  }
  static D Sinh(D a) { return Sleef_cinz_sinhd4_u10avx(a); }
  static D Cosh(D a) { return Sleef_cinz_coshd4_u10avx(a); }
  static D Pow(D a, D b) { return Sleef_cinz_powd4_u10avx(a, b); }
  static D Asin(D a) { return Sleef_cinz_asind4_u10avx(a); }
};

}  // namespace

bool FastBandAvx2(const TFastBand& band) { return RunFastBand<TAvx2>(band); }

void FastFunctionsAvx2(TFastFunction function, const double* x, const double* y, double* out,
                       int count) {
  RunFastFunctions<TAvx2>(function, x, y, out, count);
}

#else

bool FastBandAvx2(const TFastBand&) { return false; }
void FastFunctionsAvx2(TFastFunction, const double*, const double*, double*, int) {}

#endif
