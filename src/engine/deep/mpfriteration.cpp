#include "engine/deep/mpfriteration.h"

#include <cmath>
#include <vector>

#include "engine/deep/TMpfrFormula.h"

TMpfrPointResult IterateDeepPointMpfr(const TDeepParams& params, const TDeepArea& area, int x,
                                      int y, mpfr_prec_t precision,
                                      const std::atomic<bool>* stop) {
  TMpfrPointResult result;
  const TMpfrComplex p = area.PixelPoint(x, y, precision);
  TMpfrComplex c(precision);
  if (params.MapField == TKernelParams::MapC) {
    c = p;
  } else {
    mpfr_set_d(c.Re.Get(), params.CR, MPFR_RNDN);
    mpfr_set_d(c.Im.Get(), params.CI, MPFR_RNDN);
  }
  TMpfrComplex z = p;
  TMpfrFormula formula(params.Formula, precision);
  const double outer2 = params.OuterCircle * params.OuterCircle;
  const double inner2 = params.InnerDist * params.InnerDist;
  const double maxDepth = params.MaxDepth;

  // Recent iterates, most recent first; entries not yet written hold (1000, 1000).
  std::vector<TMpfrComplex> history;
  for (int j = 0; j < params.MaxCycle; ++j) {
    history.emplace_back(precision);
    mpfr_set_ui(history.back().Re.Get(), 1000, MPFR_RNDN);
    mpfr_set_ui(history.back().Im.Get(), 1000, MPFR_RNDN);
  }
  TMpfr r2(precision), d(precision), e(precision);

  double depth = 1.0;
  while (depth < maxDepth) {
    if (stop && (result.Steps & 255) == 0 && stop->load(std::memory_order_relaxed)) break;
    formula.Step(z, c);
    ++result.Steps;
    mpfr_sqr(r2.Get(), z.Im.Get(), MPFR_RNDN);
    mpfr_sqr(d.Get(), z.Re.Get(), MPFR_RNDN);
    mpfr_add(r2.Get(), r2.Get(), d.Get(), MPFR_RNDN);
    const double r2Double = r2.ToDouble();
    // Where a double orbit would overflow, the pixel ends as a fault does there.
    if (!std::isfinite(z.Re.ToDouble()) || !std::isfinite(z.Im.ToDouble()) ||
        !std::isfinite(r2Double))
      break;
    if (mpfr_cmp_d(r2.Get(), outer2) > 0) {
      if (params.ColorMode == TKernelParams::ColorContinue) {
        double k = 1.0;
        if (params.Formula == 1) k = 0.5;
        if (params.Formula == 2) k = 1.0 / 3.0;
        depth = depth - k * std::log(r2Double) / std::log(outer2);
      }
      if (depth < 0) depth = 0.0001;
      break;
    }
    int32_t period = 0;
    for (size_t j = 0; j < history.size() && period == 0; ++j) {
      mpfr_sub(d.Get(), history[j].Im.Get(), z.Im.Get(), MPFR_RNDN);
      mpfr_sqr(d.Get(), d.Get(), MPFR_RNDN);
      mpfr_sub(e.Get(), history[j].Re.Get(), z.Re.Get(), MPFR_RNDN);
      mpfr_sqr(e.Get(), e.Get(), MPFR_RNDN);
      mpfr_add(d.Get(), d.Get(), e.Get(), MPFR_RNDN);
      if (mpfr_cmp_d(d.Get(), inner2) < 0) period = static_cast<int32_t>(j + 1);
    }
    if (period != 0) {
      depth = -depth;
      result.Period = period;
      break;
    }
    if (!history.empty()) {
      for (size_t j = history.size() - 1; j >= 1; --j) std::swap(history[j], history[j - 1]);
      history[0] = z;
    }
    depth = depth + 1.0;
  }
  if (depth == maxDepth) depth = 0.0;
  result.Depth = static_cast<float>(depth / maxDepth);
  return result;
}
