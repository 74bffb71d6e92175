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
