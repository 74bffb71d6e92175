#pragma once
#include <array>
#include <cstdint>

#include "engine/complexmath.h"
#include "engine/formulasteps.h"

/// One formula z -> f(z) and everything the program knows of it: the properties dialog lists
/// DisplayText and greys out what it does not use, files store Identifier, the kernels run Step
/// and scale escapes by the escape factor, the fast kernel has a vector step where VectorStep
/// says so. A new formula is a row of Formulas below and its step (formulasteps.cpp, and a
/// branch of VStep in fastkernel_body.h if it gets one) and its derivative.
struct TFormula {
  /// One application of the formula (see formulasteps.h).
  using TStep = TComplex (*)(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
  /// EscapeDivisor of the formulas whose escape factor is 1 / N.
  static constexpr int32_t DivideByN = -1;

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
  bool VectorStep;   ///< the fast kernel has a vector step of it

  /// Whether escapes get a fractional depth (in the colour mode that asks for it).
  bool Fractional() const { return EscapeDivisor != 0; }
  /// The factor k of the fractional depth for exponent `n` (>= 1); only where Fractional().
  double EscapeFactor(int32_t n) const;
};

/// The formulas, indexed by the Formula field of the parameter records.
// Formula 8's identifier does not match its display text; files store the identifier.
inline constexpr std::array<TFormula, 13> Formulas = {{
    {"z^2+c", "z^2 + c", false, false, false, 1, StepZ2, DerivZ2, true},
    {"z^3+c", "z^3 + c", false, false, false, 2, StepZ3, DerivZ3, true},
    {"z^4+c", "z^4 + c", false, false, false, 3, StepZ4, DerivZ4, true},
    {"z^n+c", "z^n + c", false, true, false, TFormula::DivideByN, StepZN, DerivZN, true},
    {"z^3-3d^2z+c", "z^3 - 3 d^2 z + c", true, false, false, 0, StepZ3D2Z, DerivZ3D2Z, true},
    {"z^n+dz^m+c", "z^n + d z^m + c", true, true, true, 0, StepZNDZM, DerivZNDZM, true},
    {"z(c+(1-c)z^n)", "z ( c + ( 1 - c ) z^n)", false, true, false, 0, StepZTimesPoly, DerivZTimesPoly, true},
    {"z(c+(1-c)/z^n)", "z ( c + ( 1 - c ) / z^n)", false, true, false, 0, StepZTimesQuotient,
     DerivZTimesQuotient, true},
    {"z(c+dz^n)/(1/z^n)", "z ( c + d z^n) / (1 + z^n)", true, true, false, 0, StepZRational,
     DerivZRational, true},
    {"exp(z)-z-1+c", "exp(z) - z - 1 + c", false, false, false, 0, StepExp, DerivExp, true},
    {"sin(z)+c", "sin(z) + c", false, false, false, 0, StepSinPlusC, DerivSinPlusC, true},
    {"csin(z)", "c sin(z)", false, false, false, 0, StepCTimesSin, DerivCTimesSin, true},
    {"sin(z)-z-1+c", "sin(z) - z - 1 + c", false, false, false, 0, StepSinMinusZ, DerivSinMinusZ, true},
}};

/// Number of formulas; a Formula field is 0 .. FormulaCount - 1.
inline constexpr int FormulaCount = static_cast<int>(Formulas.size());
