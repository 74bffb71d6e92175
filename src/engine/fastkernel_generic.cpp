// The fast kernel with the compiler's portable vectors of two doubles (SSE2 on x86-64, the
// baseline), for CPUs without a wider build. Compiled with the project's ordinary flags.
#include "engine/fastkernel_isa.h"
#include "engine/fastkernel_body.h"

namespace {

struct TGeneric {
  using D = double __attribute__((vector_size(16)));
  using M = long long __attribute__((vector_size(16)));  // -1 in a lane that is set
  static constexpr int L = 2;
  static constexpr int K = 4;

  static D Set(double v) { return D{v, v}; }
  static D Load(const double* p) { return D{p[0], p[1]}; }
  static void Store(double* p, D v) {
    p[0] = v[0];
    p[1] = v[1];
  }
  static D Abs(D a) {
    const M sign = {static_cast<long long>(1ull << 63), static_cast<long long>(1ull << 63)};
    return reinterpret_cast<D>(reinterpret_cast<M>(a) & ~sign);
  }
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
};

}  // namespace

bool FastBandGeneric(const TFastBand& band) { return RunFastBand<TGeneric>(band); }
