#pragma once
#include <cstdint>

#include "engine/complexmath.h"

// The scalar steps of the formulas, one function each, listed in the formula table (TFormula.h).
// Each applies its formula once to z with the constants c and d and the exponents n and m
// (>= 1). They are pure; an overflow or invalid operation shows as a non-finite part of the
// result, never as a signal or exception. Defined out of line on purpose: the fast kernel's
// instruction-set builds see the table and must not compile copies of these.

TComplex StepZ2(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex StepZ3(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex StepZ4(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex StepZN(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex StepZ3D2Z(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex StepZNDZM(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex StepZTimesPoly(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex StepZTimesQuotient(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex StepZRational(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex StepExp(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex StepSinPlusC(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex StepCTimesSin(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex StepSinMinusZ(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);

// Their derivatives with respect to z, for the multiplier of a detected cycle (cycletest.h).
// Each is the derivative of the step as the program computes it, quirks included: formula 7
// leaves a point on an axis where it is, so its derivative there is 1. A pole or an overflow
// shows as a non-finite part.

TComplex DerivZ2(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex DerivZ3(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex DerivZ4(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex DerivZN(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex DerivZ3D2Z(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex DerivZNDZM(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex DerivZTimesPoly(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex DerivZTimesQuotient(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex DerivZRational(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex DerivExp(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex DerivSinPlusC(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex DerivCTimesSin(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
TComplex DerivSinMinusZ(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
