// The fast kernel with the compiler's portable vectors of two doubles (SSE2 on x86-64, the
// baseline), for CPUs without a wider build. Compiled with the project's ordinary flags.
#include "engine/fastkernel_isa.h"
#include "engine/fastkernel_body.h"

#if defined(__x86_64__)
#include <emmintrin.h>
#include <sleef.h>
#else
#include "engine/realfunctions.h"
#endif

namespace {

struct TGeneric {
  using D = double __attribute__((vector_size(16)));
  using M = long long __attribute__((vector_size(16)));  // -1 in a lane that is set
  static constexpr int L = 2;
  static constexpr int K = 4;
  static constexpr int KCycles = 2;
  static constexpr int KCyclesSquares = 2;
  static constexpr int KTranscendental = 2;

  static D Set(double v) { return D{v, v}; }
  static D Load(const double* p) { return D{p[0], p[1]}; }
  static void Store(double* p, D v) {
    p[0] = v[0];
    p[1] = v[1];
  }
  static void MaskStore(double* p, M m, D v) {
    if (m[0]) p[0] = v[0];
    if (m[1]) p[1] = v[1];
  }
  static D Abs(D a) {
    const M sign = {static_cast<long long>(1ull << 63), static_cast<long long>(1ull << 63)};
    return reinterpret_cast<D>(reinterpret_cast<M>(a) & ~sign);
  }
  static D Min(D a, D b) { return a < b ? a : b; }
  static M NotLessEq(D a, D b) { return ~(a <= b); }
  static M Less(D a, D b) { return a < b; }
  static M GreaterEq(D a, D b) { return a >= b; }
  static M Equal(D a, D b) { return a == b; }
  static M Or(M a, M b) { return a | b; }
  static M And(M a, M b) { return a & b; }
  static M None() { return M{0, 0}; }
  static bool Any(M m) { return (m[0] | m[1]) != 0; }
  static unsigned Bits(M m) { return (m[0] != 0 ? 1u : 0u) | (m[1] != 0 ? 2u : 0u); }
  static M FromBits(unsigned bits) { return M{(bits & 1u) ? -1 : 0, (bits & 2u) ? -1 : 0}; }
  static D Select(M m, D ifSet, D otherwise) { return m ? ifSet : otherwise; }
  static D Insert(D v, int lane, double value) {
    v[lane] = value;
    return v;
  }

#if defined(__x86_64__)
  // SLEEF's deterministic SSE2 builds, the x86-64 baseline.
  static D Sqrt(D a) { return _mm_sqrt_pd(a); }
  static D Exp(D a) { return Sleef_cinz_expd2_u10sse2(a); }
  static void SinCos(D a, D& sin, D& cos) {
    const Sleef___m128d_2 both = Sleef_cinz_sincosd2_u10sse2(a);
    sin = both.x;
    cos = both.y;
  }
  static D Sinh(D a) { return Sleef_cinz_sinhd2_u10sse2(a); }
  static D Cosh(D a) { return Sleef_cinz_coshd2_u10sse2(a); }
  static D Pow(D a, D b) { return Sleef_cinz_powd2_u10sse2(a, b); }
  static D Asin(D a) { return Sleef_cinz_asind2_u10sse2(a); }
#else
  // Elsewhere lane by lane with the reference's own scalar functions.
  static D Sqrt(D a) { return D{std::sqrt(a[0]), std::sqrt(a[1])}; }
  static D Exp(D a) { return D{RealExp(a[0]), RealExp(a[1])}; }
  static void SinCos(D a, D& sin, D& cos) {
    const TSinCos first = RealSinCos(a[0]), second = RealSinCos(a[1]);
    sin = D{first.Sin, second.Sin};
    cos = D{first.Cos, second.Cos};
  }
  static D Sinh(D a) { return D{RealSinh(a[0]), RealSinh(a[1])}; }
  static D Cosh(D a) { return D{RealCosh(a[0]), RealCosh(a[1])}; }
  static D Pow(D a, D b) { return D{RealPow(a[0], b[0]), RealPow(a[1], b[1])}; }
  static D Asin(D a) { return D{RealAsin(a[0]), RealAsin(a[1])}; }
#endif
};

}  // namespace

bool FastBandGeneric(const TFastBand& band) { return RunFastBand<TGeneric>(band); }

void FastFunctionsGeneric(TFastFunction function, const double* x, const double* y, double* out,
                          int count) {
  RunFastFunctions<TGeneric>(function, x, y, out, count);
}
