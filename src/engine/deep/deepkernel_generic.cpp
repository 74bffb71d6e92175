// The deep kernel with the compiler's portable vectors of two doubles (SSE2 on x86-64, the
// baseline), for CPUs without a wider build. Compiled with the project's ordinary flags.
#include "engine/deep/deepkernel_body.h"
#include "engine/deep/deepkernel_isa.h"

namespace {

struct TGenericDeep {
  using D = double __attribute__((vector_size(16)));
  using M = long long __attribute__((vector_size(16)));  // -1 in a lane that is set
  using I = long long __attribute__((vector_size(16)));
  static constexpr int L = 2;
  static constexpr int K = 2;

  static D Set(double v) { return D{v, v}; }
  static D Load(const double* p) { return D{p[0], p[1]}; }
  static void Store(double* p, D v) {
    p[0] = v[0];
    p[1] = v[1];
  }
  static I LoadI(const int64_t* p) { return I{p[0], p[1]}; }
  static void StoreI(int64_t* p, I v) {
    p[0] = v[0];
    p[1] = v[1];
  }
  static M EqualI(I a, I b) { return a == b; }
  static D Gather(const double* base, I index) { return D{base[index[0]], base[index[1]]}; }
  static M NotLessEq(D a, D b) { return ~(a <= b); }
  static M Less(D a, D b) { return a < b; }
  static M LessEq(D a, D b) { return a <= b; }
  static M Or(M a, M b) { return a | b; }
  static M And(M a, M b) { return a & b; }
  static M AndNot(M a, M b) { return a & ~b; }
  static D Select(M m, D ifSet, D otherwise) { return m ? ifSet : otherwise; }
  static I SelectI(M m, I ifSet, I otherwise) { return m ? ifSet : otherwise; }
  static I SetI(int64_t v) { return I{v, v}; }
  // Lanes that are set hold -1.
  static I IncrementWhere(M m, I v) { return v - m; }
  static M None() { return M{0, 0}; }
  static bool Any(M m) { return (m[0] | m[1]) != 0; }
  static unsigned Bits(M m) { return (m[0] != 0 ? 1u : 0u) | (m[1] != 0 ? 2u : 0u); }
  static M FromBits(unsigned bits) { return M{(bits & 1u) ? -1 : 0, (bits & 2u) ? -1 : 0}; }
};

}  // namespace

bool DeepBandGeneric(const TDeepBandJob& band) { return RunDeepBandAll<TGenericDeep>(band); }
