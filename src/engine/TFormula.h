#pragma once
#include <array>
#include <cstdint>

#include "engine/complexmath.h"
#include "engine/formulas.h"
#include "engine/formulasteps.h"

/// One formula z -> f(z) as the program looks it up by its Formula field: the properties dialog
/// lists DisplayText and greys out what it does not use, files store Identifier, the scalar code
/// runs Step and Derivative and scales escapes by the escape factor, deep zoom takes the
/// formulas with a DeepDegree. The rows are made from the formula types (formulas.h), where a
/// new formula is written; the kernels dispatch on those types.
struct TFormula {
  /// One application of the formula (see formulasteps.h).
  using TStep = TComplex (*)(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
  /// EscapeDivisor of the formulas whose escape factor is 1 / N.
  static constexpr int32_t DivideByN = ::DivideByN;

  const char* Identifier;   ///< stored in the file, compared exactly
  const char* DisplayText;  ///< listed by the properties dialog and the help page
  bool UsesD;               ///< the formula reads the constant d
  bool UsesN;               ///< the formula reads the exponent N
  bool UsesM;               ///< the formula reads the exponent M
  /// An escape at depth s and squared radius r2 gets the fractional depth
  /// s - k log(r2) / log(OuterCircle^2) with k = 1 / EscapeDivisor (DivideByN: 1 / N); 0 keeps
  /// whole depths.
  int32_t EscapeDivisor;
  TStep Step;        ///< the scalar step, the reference of every kernel
  /// The step's derivative with respect to z (same arguments): the factors of a cycle's
  /// multiplier (cycletest.h).
  TStep Derivative;
  /// The derivatives of the step with respect to z, c and d (same arguments): deep zoom's step
  /// for differences too small for anything but the linear terms.
  TFormulaPartials (*Partials)(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
  /// The degree k of the deep kernel's z^k + c, whose steps a series approximation skips;
  /// 0 for the formulas that deep zoom computes step by step by general perturbation.
  int DeepDegree;
  /// Whether zooming goes on past the precision of doubles, and how (the help page's words):
  /// DeepBySeries or DeepByPerturbation; null when it stops there.
  const char* DeepZoom;
  /// The area that shows the formula's whole set with the pixel as c.
  TPlaneArea DefaultArea;

  static constexpr const char* DeepBySeries = "series approximation";
  static constexpr const char* DeepByPerturbation = "perturbation";

  /// Whether escapes get a fractional depth (in the colour mode that asks for it).
  bool Fractional() const { return EscapeDivisor != 0; }
  /// The factor k of the fractional depth for exponent `n` (>= 1); only where Fractional().
  double EscapeFactor(int32_t n) const;
};

namespace formula_detail {
template <class F>
constexpr TFormula Row() {
  return {F::Identifier, F::DisplayText, F::UsesD,      F::UsesN,     F::UsesM,
          F::EscapeDivisor, ScalarStep<F>, ScalarDerivative<F>, ScalarPartials<F>,
          F::DeepDegree,
          F::DeepDegree > 0 ? TFormula::DeepBySeries : TFormula::DeepByPerturbation,
          F::DefaultArea};
}
template <class... F>
constexpr std::array<TFormula, sizeof...(F)> Table(TFormulaList<F...>) {
  return {{Row<F>()...}};
}
}  // namespace formula_detail

/// The formulas, indexed by the Formula field of the parameter records.
inline constexpr std::array<TFormula, TAllFormulas::Count> Formulas =
    formula_detail::Table(TAllFormulas{});

/// Number of formulas; a Formula field is 0 .. FormulaCount - 1.
inline constexpr int FormulaCount = static_cast<int>(Formulas.size());
