#include "engine/deep/TGenericOrbit.h"

#include <algorithm>
#include <cmath>

#include "engine/TFormula.h"
#include "engine/deep/TMpfrFormula.h"

bool TGenericOrbit::Compute(const TMpfrComplex& start, const TMpfrComplex& c,
                            const TMpfrComplex& d, const TSettings& settings,
                            const std::atomic<bool>* stop) {
  const mpfr_prec_t precision = start.Re.Precision();
  TMpfrFormula formula(settings.Formula, precision, settings.N, settings.M);
  const TFormula& row = Formulas[static_cast<size_t>(settings.Formula)];
  Count = formula.AuxCount();
  ConstantC = {c.Re.ToDouble(), c.Im.ToDouble()};
  ConstantD = {d.Re.ToDouble(), d.Im.ToDouble()};
  Values.clear();
  AuxValues.clear();
  DerivativesZ.clear();
  DerivativesC.clear();
  DerivativesD.clear();
  TMpfrComplex z(precision);
  mpfr_set(z.Re.Get(), start.Re.Get(), MPFR_RNDN);
  mpfr_set(z.Im.Get(), start.Im.Get(), MPFR_RNDN);
  const int64_t length = std::max<int64_t>(settings.Length, 1);
  std::vector<TComplex> aux(static_cast<size_t>(Count));
  for (int64_t n = 0; n < length; ++n) {
    if (stop && (n & 63) == 63 && stop->load(std::memory_order_relaxed)) return false;
    const TComplex value{z.Re.ToDouble(), z.Im.ToDouble()};
    if (!std::isfinite(value.re) || !std::isfinite(value.im)) break;
    Values.push_back(value);
    if (Count > 0) formula.Aux(z, c, d, aux.data());
    AuxValues.insert(AuxValues.end(), aux.begin(), aux.end());
    const TFormulaPartials partials =
        row.Partials(value, ConstantC, ConstantD, settings.N, settings.M);
    DerivativesZ.push_back(partials.Dz);
    DerivativesC.push_back(partials.Dc);
    DerivativesD.push_back(partials.Dd);
    if (n > 0 && !(value.im * value.im + value.re * value.re <= settings.Outer2)) break;
    if (n + 1 < length) formula.Step(z, c, d);
  }
  if (stop && stop->load(std::memory_order_relaxed)) return false;
  return true;
}
