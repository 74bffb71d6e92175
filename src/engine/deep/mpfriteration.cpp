#include "engine/deep/mpfriteration.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/cycletest.h"
#include "engine/deep/TMpfrFormula.h"

TMpfrPointResult IterateDeepPointMpfr(const TDeepParams& params, const TDeepArea& area, int x,
                                      int y, mpfr_prec_t precision,
                                      const std::atomic<bool>* stop) {
  return IteratePointMpfr(params, area.PixelPoint(x, y, precision), precision, stop);
}

TMpfrPointResult IteratePointMpfr(const TDeepParams& params, const TMpfrComplex& p,
                                  mpfr_prec_t precision, const std::atomic<bool>* stop) {
  TMpfrPointResult result;
  TMpfrComplex z(precision), c(precision), dConstant(precision);
  mpfr_set(z.Re.Get(), p.Re.Get(), MPFR_RNDN);
  mpfr_set(z.Im.Get(), p.Im.Get(), MPFR_RNDN);
  mpfr_set_d(c.Re.Get(), params.CR, MPFR_RNDN);
  mpfr_set_d(c.Im.Get(), params.CI, MPFR_RNDN);
  mpfr_set_d(dConstant.Re.Get(), params.DR, MPFR_RNDN);
  mpfr_set_d(dConstant.Im.Get(), params.DI, MPFR_RNDN);
  if (params.MapField == TKernelParams::MapC) c = z;
  if (params.MapField == TKernelParams::MapD) dConstant = z;
  // The constants as the confirmation of a cycle reads them.
  const TComplex cDouble{c.Re.ToDouble(), c.Im.ToDouble()};
  const TComplex dDouble{dConstant.Re.ToDouble(), dConstant.Im.ToDouble()};
  TMpfrFormula formula(params.Formula, precision, params.N, params.M);
  const double outer2 = params.OuterCircle * params.OuterCircle;
  const double inner2 = params.InnerDist * params.InnerDist;
  const double maxDepth = params.MaxDepth;
  TKernelParams kernel;
  kernel.Formula = params.Formula;
  kernel.MapField = params.MapField;
  kernel.N = params.N;
  kernel.M = params.M;

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
    formula.Step(z, c, dConstant);
    ++result.Steps;
    mpfr_sqr(r2.Get(), z.Im.Get(), MPFR_RNDN);
    mpfr_sqr(d.Get(), z.Re.Get(), MPFR_RNDN);
    mpfr_add(r2.Get(), r2.Get(), d.Get(), MPFR_RNDN);
    const double r2Double = r2.ToDouble();
    // Where a double orbit would overflow, the pixel ends as a fault does there.
    if (!std::isfinite(z.Re.ToDouble()) || !std::isfinite(z.Im.ToDouble()) ||
        !std::isfinite(r2Double))
      break;
    // An escape decided by less than doubles resolve (a view around a point that escapes right
    // at the radius) may go either way in a kernel.
    if (std::fabs(r2Double - outer2) < 0x1p-50 * outer2) result.TestUnresolved = true;
    if (mpfr_cmp_d(r2.Get(), outer2) > 0) {
      const TFormula& row = Formulas[static_cast<size_t>(params.Formula)];
      if (params.ColorMode == TKernelParams::ColorContinue && row.Fractional())
        depth = depth - row.EscapeFactor(params.N) * std::log(r2Double) / std::log(outer2);
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
      // Iterates rounded to doubles move their distance by some units in their last place.
      const double noise = 0x1p-50 * (std::sqrt(r2Double) + std::hypot(history[j].Re.ToDouble(),
                                                                       history[j].Im.ToDouble()));
      if (std::fabs(std::sqrt(d.ToDouble()) - params.InnerDist) < noise)
        result.TestUnresolved = true;
    }
    if (period != 0) {
      // The confirmation on the iterates rounded to doubles, as the kernels see them.
      std::vector<double> olderRe, olderIm;
      for (int32_t j = 0; j + 1 < period; ++j) {
        olderRe.push_back(history[static_cast<size_t>(j)].Re.ToDouble());
        olderIm.push_back(history[static_cast<size_t>(j)].Im.ToDouble());
      }
      const TComplex newest{z.Re.ToDouble(), z.Im.ToDouble()};
      const TComplex m = CycleMultiplier(kernel, cDouble, dDouble, newest,
                                         olderRe.data(), olderIm.data(), period);
      const double m2 = m.im * m.im + m.re * m.re;
      if (std::fabs(m2 / RepellingMultiplier2 - 1.0) < 1e-9) result.TestUnresolved = true;
      if (CycleRepels(kernel, cDouble, dDouble, newest, olderRe.data(),
                      olderIm.data(), period)) {
        period = 0;
        ++result.CyclesPassed;
      }
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

namespace {

// The plane point of pixel (x, y) moved by (dx, dy) pixels.
TMpfrComplex ShiftedPoint(const TDeepArea& area, int x, int y, double dx, double dy,
                          mpfr_prec_t precision) {
  TMpfrComplex point = area.PixelPoint(x, y, precision);
  TMpfr step(precision);
  const auto move = [&](TMpfr& part, TFloatExp spacing, double by) {
    if (by == 0 || spacing.M == 0) return;
    mpfr_set_d(step.Get(), spacing.M * by, MPFR_RNDN);
    mpfr_mul_2si(step.Get(), step.Get(), static_cast<long>(spacing.E), MPFR_RNDN);
    mpfr_add(part.Get(), part.Get(), step.Get(), MPFR_RNDN);
  };
  move(point.Re, area.SpacingX(), dx);
  // Rows go down from Top.
  move(point.Im, area.SpacingY(), -dy);
  return point;
}

}  // namespace

double StepsApart(const TDeepParams& params, float depth, int32_t period,
                  const TMpfrPointResult& exact) {
  if (period != exact.Period) return std::numeric_limits<double>::infinity();
  return std::fabs(static_cast<double>(depth) - exact.Depth) * params.MaxDepth;
}

bool IllConditionedPixel(const TDeepParams& params, const TDeepArea& area, int x, int y,
                         const TMpfrPointResult& exact, double apart, mpfr_prec_t precision) {
  if (exact.TestUnresolved) return true;
  const double shifts[4][2] = {{1e-9, 0}, {-1e-9, 0}, {0, 1e-9}, {0, -1e-9}};
  for (const auto& shift : shifts) {
    const TMpfrPointResult near = IteratePointMpfr(
        params, ShiftedPoint(area, x, y, shift[0], shift[1], precision), precision);
    if (StepsApart(params, near.Depth, near.Period, exact) >= std::min(apart, 1.0) ||
        near.TestUnresolved)
      return true;
  }
  return false;
}
