// The deep kernel for AVX2: four doubles per vector, gathers of the reference values.
// Compiled with -mavx2 (see deep.cmake); called only after CpuSupports(TKernelIsa::Avx2).
#include "engine/deep/deepkernel_isa.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include "engine/deep/deepkernel_body.h"

namespace {

struct TAvx2Deep {
  using D = __m256d;
  using M = __m256d;  // all ones in a lane that is set
  using I = __m256i;
  static constexpr int L = 4;
  static constexpr int K = 2;

  static D Set(double v) { return _mm256_set1_pd(v); }
  static D Load(const double* p) { return _mm256_load_pd(p); }
  static void Store(double* p, D v) { _mm256_store_pd(p, v); }
  static I LoadI(const int64_t* p) {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(p));
  }
  static void StoreI(int64_t* p, I v) { _mm256_store_si256(reinterpret_cast<__m256i*>(p), v); }
  static M EqualI(I a, I b) { return _mm256_castsi256_pd(_mm256_cmpeq_epi64(a, b)); }
  static D Gather(const double* base, I index) { return _mm256_i64gather_pd(base, index, 8); }
  static M NotLessEq(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_NLE_UQ); }
  static M Less(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
  static M LessEq(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_LE_OQ); }
  static M Or(M a, M b) { return _mm256_or_pd(a, b); }
  static M And(M a, M b) { return _mm256_and_pd(a, b); }
  static M AndNot(M a, M b) { return _mm256_andnot_pd(b, a); }
  static D Select(M m, D ifSet, D otherwise) { return _mm256_blendv_pd(otherwise, ifSet, m); }
  static I SelectI(M m, I ifSet, I otherwise) {
    return _mm256_castpd_si256(_mm256_blendv_pd(_mm256_castsi256_pd(otherwise),
                                                _mm256_castsi256_pd(ifSet), m));
  }
  static I SetI(int64_t v) { return _mm256_set1_epi64x(v); }
  // Lanes that are set hold all ones, which is -1.
  static I IncrementWhere(M m, I v) { return _mm256_sub_epi64(v, _mm256_castpd_si256(m)); }
  static M None() { return _mm256_setzero_pd(); }
  static bool Any(M m) { return _mm256_testz_pd(m, m) == 0; }
  static unsigned Bits(M m) { return static_cast<unsigned>(_mm256_movemask_pd(m)); }
  static M FromBits(unsigned bits) {
    const __m256i lane = _mm256_set_epi64x(8, 4, 2, 1);
    const __m256i set = _mm256_and_si256(_mm256_set1_epi64x(bits), lane);
    return _mm256_castsi256_pd(_mm256_cmpeq_epi64(set, lane));
  }
};

}  // namespace

bool DeepBandAvx2(const TDeepBandJob& band) { return RunDeepBandAll<TAvx2Deep>(band); }

#else

bool DeepBandAvx2(const TDeepBandJob&) { return false; }

#endif
