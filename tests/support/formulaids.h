#pragma once
#include "engine/formulas.h"

// The Formula field of each formula, from its type, for tests that pick formulas: a test names
// the formula it means, never its place in the list.
namespace formula {
constexpr int Z2 = FormulaIndex<TFormulaZ2>;
constexpr int Z3 = FormulaIndex<TFormulaZ3>;
constexpr int Z4 = FormulaIndex<TFormulaZ4>;
constexpr int ZN = FormulaIndex<TFormulaZN>;
constexpr int Z3D2Z = FormulaIndex<TFormulaZ3D2Z>;
constexpr int ZNDZM = FormulaIndex<TFormulaZNDZM>;
constexpr int ZTimesPoly = FormulaIndex<TFormulaZTimesPoly>;
constexpr int ZTimesQuotient = FormulaIndex<TFormulaZTimesQuotient>;
constexpr int ZRational = FormulaIndex<TFormulaZRational>;
constexpr int Exp = FormulaIndex<TFormulaExp>;
constexpr int SinPlusC = FormulaIndex<TFormulaSinPlusC>;
constexpr int CTimesSin = FormulaIndex<TFormulaCTimesSin>;
constexpr int SinMinusZ = FormulaIndex<TFormulaSinMinusZ>;
}  // namespace formula
