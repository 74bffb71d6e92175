#include "engine/cycletest.h"

#include "engine/TFormula.h"

TComplex CycleMultiplier(const TKernelParams& params, TComplex c, TComplex d, TComplex newest,
                         const double* olderRe, const double* olderIm, int32_t period) {
  const TFormula& formula = Formulas[static_cast<size_t>(params.Formula)];
  TComplex product = formula.Derivative(newest, c, d, params.N, params.M);
  for (int32_t j = 0; j + 1 < period; ++j)
    product = CMul(product,
                   formula.Derivative({olderRe[j], olderIm[j]}, c, d, params.N, params.M));
  return product;
}

bool CycleRepels(const TKernelParams& params, TComplex c, TComplex d, TComplex newest,
                 const double* olderRe, const double* olderIm, int32_t period) {
  const TComplex m = CycleMultiplier(params, c, d, newest, olderRe, olderIm, period);
  return m.im * m.im + m.re * m.re > RepellingMultiplier2;
}

TComplex PixelC(const TKernelParams& params, TComplex p) {
  return params.MapField == TKernelParams::MapC ? p : TComplex{params.CR, params.CI};
}

TComplex PixelD(const TKernelParams& params, TComplex p) {
  return params.MapField == TKernelParams::MapD ? p : TComplex{params.DR, params.DI};
}
