#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/complexmath.h"
#include "engine/deep/TMpfrComplex.h"

/// A reference orbit for deep zoom's general perturbed step (any formula): the iterates Z_i of a
/// start point under the formula with the constants C and D, computed in MPFR and stored as
/// doubles, and at each iterate what a pixel's step from it reads: the formula's values of Z_i
/// (its Aux, from MPFR) and the derivatives of the step with respect to z, c and d (for
/// differences so small that the step is linear in them). Built once, then only read.
class TGenericOrbit {
public:
  /// What the orbit is computed for.
  struct TSettings {
    int Formula = 0;       ///< an index into Formulas
    int32_t N = 1, M = 1;  ///< exponents (>= 1)
    double Outer2 = 1e6;   ///< the escape test's bound on |z|^2
    int64_t Length = 1;    ///< iterates wanted: Z_0 .. Z_{Length - 1}
  };

  /// Computes the orbit of `start` with the constants `c` and `d` (at the precision of
  /// `start`). Stops after the first iterate beyond the escape bound (kept), before the first
  /// iterate that doubles cannot hold, or at Length. False when `stop` became true first.
  bool Compute(const TMpfrComplex& start, const TMpfrComplex& c, const TMpfrComplex& d,
               const TSettings& settings, const std::atomic<bool>* stop);

  /// Iterates stored: Z_0 .. Z_{Size() - 1}, Size() >= 1.
  int64_t Size() const { return static_cast<int64_t>(Values.size()); }
  TComplex Value(int64_t i) const { return Values[static_cast<size_t>(i)]; }
  /// The formula's values of Z_i (AuxCount() of them).
  const TComplex* Aux(int64_t i) const { return AuxValues.data() + i * AuxCount(); }
  int AuxCount() const { return Count; }
  /// d f / d z, d f / d c and d f / d d at Z_i.
  TComplex Dz(int64_t i) const { return DerivativesZ[static_cast<size_t>(i)]; }
  TComplex Dc(int64_t i) const { return DerivativesC[static_cast<size_t>(i)]; }
  TComplex Dd(int64_t i) const { return DerivativesD[static_cast<size_t>(i)]; }
  /// The reference's constants, rounded to doubles.
  TComplex C() const { return ConstantC; }
  TComplex D() const { return ConstantD; }

private:
  std::vector<TComplex> Values, AuxValues, DerivativesZ, DerivativesC, DerivativesD;
  int Count = 0;
  TComplex ConstantC{0.0, 0.0}, ConstantD{0.0, 0.0};
};
