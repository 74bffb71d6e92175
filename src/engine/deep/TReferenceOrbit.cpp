#include "engine/deep/TReferenceOrbit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/assertions.h"
#include "engine/deep/TMpfrFormula.h"
#include "engine/deep/deepzoom.h"

namespace {

// Below this magnitude a stored double loses bits (and soon everything): such iterates are also
// kept with their exponent.
constexpr double TinyValue = 0x1p-900;

// The linear part of a step is trusted while the neglected terms stay below this fraction of
// it: the rounding of a double, so that a skip moves a difference no more than the steps it
// replaces would. Looser bounds (2^-32 was tried) are faster, but on long chaotic orbits their
// errors of 1e-9 of a difference grow into escapes many steps off.
constexpr double Epsilon = 0x1p-53;

constexpr double Infinity = std::numeric_limits<double>::infinity();

TComplexExp Scaled(TComplexExp z, double factor) { return Mul(z, ToFloatExp(factor)); }

}  // namespace

bool TReferenceOrbit::Compute(const TMpfrComplex& start, const TMpfrComplex& c,
                              const TSettings& settings, const std::atomic<bool>* stop) {
  ZASSERT(DeepDegree(settings.Formula) > 0);
  Re.clear();
  Im.clear();
  Tiny.clear();
  Table.clear();
  Window.clear();
  Near.clear();
  OriginIndex = mpfr_zero_p(start.Re.Get()) && mpfr_zero_p(start.Im.Get()) ? 1 : 0;

  const mpfr_prec_t precision = std::max({start.Re.Precision(), start.Im.Precision(),
                                          c.Re.Precision(), c.Im.Precision()});
  TMpfrComplex z(precision);
  mpfr_set(z.Re.Get(), start.Re.Get(), MPFR_RNDN);
  mpfr_set(z.Im.Get(), start.Im.Get(), MPFR_RNDN);
  TMpfrFormula formula(settings.Formula, precision);
  const int64_t length = std::clamp<int64_t>(settings.Length, 1, MaxLength);
  Re.reserve(static_cast<size_t>(length));
  Im.reserve(static_cast<size_t>(length));

  const auto store = [&] {
    const double re = z.Re.ToDouble();
    const double im = z.Im.ToDouble();
    if (std::fmax(std::fabs(re), std::fabs(im)) < TinyValue &&
        !(mpfr_zero_p(z.Re.Get()) && mpfr_zero_p(z.Im.Get())))
      Tiny.emplace_back(Size(), z.ToComplexExp());
    Re.push_back(re);
    Im.push_back(im);
  };
  store();
  for (int64_t n = 1; n < length; ++n) {
    if (stop && (n & 63) == 0 && stop->load(std::memory_order_relaxed)) return false;
    formula.Step(z, c);
    const double re = z.Re.ToDouble();
    const double im = z.Im.ToDouble();
    if (!std::isfinite(re) || !std::isfinite(im)) break;
    store();
    const double r2 = im * im + re * re;
    if (!(r2 <= settings.Outer2)) break;
  }
  if (stop && stop->load(std::memory_order_relaxed)) return false;

  // Approximations stop short of iterates near the escape bound, where a pixel close to the
  // reference may escape a step earlier or later than the reference.
  SafeEndIndex = Size() - 1;
  const double nearOuter = settings.Outer2 * (1.0 - 0x1p-20);
  for (int64_t t = OriginIndex + 1; t < Size(); ++t) {
    if (!(Im[t] * Im[t] + Re[t] * Re[t] <= nearOuter)) {
      SafeEndIndex = t;
      break;
    }
  }
  Near.assign(static_cast<size_t>(Size()), static_cast<int32_t>(Size()));
  for (int64_t t = Size() - 1; t >= 0; --t) {
    const double z2 = Im[t] * Im[t] + Re[t] * Re[t];
    if (z2 < NearZero2 && 0.0 < z2)
      Near[static_cast<size_t>(t)] = static_cast<int32_t>(t);
    else if (t + 1 < Size())
      Near[static_cast<size_t>(t)] = Near[static_cast<size_t>(t + 1)];
  }
  FindPeriod();
  return BuildTable(settings, stop);
}

bool TReferenceOrbit::SameValue(int64_t i, int64_t j) const {
  if (Re[static_cast<size_t>(i)] != Re[static_cast<size_t>(j)] ||
      Im[static_cast<size_t>(i)] != Im[static_cast<size_t>(j)])
    return false;
  const TComplexExp a = Value(i), b = Value(j);
  return a.Re == b.Re && a.Im == b.Im && a.E == b.E;
}

void TReferenceOrbit::FindPeriod() {
  PeriodFrom = PeriodLength = 0;
  const int64_t last = Size() - 1;
  // The last iterate's latest earlier occurrence gives the period, if any; the tail before it
  // must repeat with it.
  constexpr int64_t MaxPeriod = int64_t{1} << 20;
  for (int64_t m = last - 1; m >= 0 && last - m <= MaxPeriod; --m) {
    if (!SameValue(m, last)) continue;
    const int64_t period = last - m;
    int64_t from = m;
    while (from > 0 && SameValue(from - 1, from - 1 + period)) --from;
    if (Size() - from >= 2 * period) {
      PeriodFrom = from;
      PeriodLength = period;
    }
    return;
  }
}

TComplexExp TReferenceOrbit::Value(int64_t i) const {
  const double re = Re[static_cast<size_t>(i)];
  const double im = Im[static_cast<size_t>(i)];
  if (std::fmax(std::fabs(re), std::fabs(im)) < TinyValue) {
    const auto found = std::lower_bound(
        Tiny.begin(), Tiny.end(), i,
        [](const std::pair<int64_t, TComplexExp>& entry, int64_t index) {
          return entry.first < index;
        });
    if (found != Tiny.end() && found->first == i) return found->second;
  }
  return ToComplexExp(re, im);
}

double TReferenceOrbit::SeparationFrom(int64_t i) const {
  if (Window.empty()) return Infinity;
  return Window[static_cast<size_t>(std::min(i, Size() - 1))];
}

double TReferenceOrbit::RadiusFactor(int degree) {
  // Where the first neglected term of (Z + dz)^k - Z^k reaches Epsilon of the linear one:
  // |dz| < 2 Epsilon |Z| for k = 2 (dz^2 against 2 Z dz), Epsilon |Z| for k = 3 (3 Z dz^2
  // against 3 Z^2 dz, dz^3 far smaller), 2/3 Epsilon |Z| for k = 4 (6 Z^2 dz^2 against 4 Z^3 dz).
  return Epsilon * (2.0 / (degree - 1));
}

bool TReferenceOrbit::BuildTable(const TSettings& settings, const std::atomic<bool>* stop) {
  const int k = DeepDegree(settings.Formula);
  const double radiusFactor = RadiusFactor(k);
  const int32_t maxCycle = settings.MaxCycle;

  // Squared distance of each reference iterate from its nearest of MaxCycle predecessors.
  std::vector<double> separation;
  if (maxCycle > 0) {
    separation.assign(static_cast<size_t>(Size()), Infinity);
    for (int64_t t = 0; t < Size(); ++t) {
      if ((t & 65535) == 65535 && stop && stop->load(std::memory_order_relaxed)) return false;
      double nearest = Infinity;
      for (int64_t j = 1; j <= maxCycle && t - j >= 0; ++j) {
        const double di = Im[t - j] - Im[t];
        const double dr = Re[t - j] - Re[t];
        nearest = std::min(nearest, di * di + dr * dr);
      }
      separation[static_cast<size_t>(t)] = nearest;
    }
    Window.assign(static_cast<size_t>(Size()), Infinity);
    for (int64_t t = 0; t < Size(); ++t) {
      double nearest = Infinity;
      for (int64_t u = t; u < std::min<int64_t>(t + maxCycle, Size()); ++u)
        nearest = std::min(nearest, separation[static_cast<size_t>(u)]);
      Window[static_cast<size_t>(t)] = nearest;
    }
  }

  const int64_t steps = SafeEndIndex - OriginIndex;
  Table.assign(1, {});
  if (steps < 2) return true;

  // The one-step approximation at iterate t.
  const TComplexExp one = ToComplexExp(1.0, 0.0);
  const auto single = [&](int64_t t) {
    const TComplexExp zx = Value(t);
    TNode node;
    if (k == 2) {
      node.A = Scaled(zx, 2.0);
    } else if (k == 3) {
      node.A = Scaled(Mul(zx, zx), 3.0);
    } else {
      node.A = Scaled(Mul(Mul(zx, zx), zx), 4.0);
    }
    node.B = settings.HasDc ? one : TComplexExp{};
    node.Radius = Mul(Abs(zx), ToFloatExp(radiusFactor));
    node.Radius2 = ToDouble(Mul(node.Radius, node.Radius));
    // The difference at a skipped iterate stays within its radius; the full value is rounded
    // to a double once more.
    const double magnitude = std::hypot(Re[t], Im[t]);
    node.Bound = ToDouble(node.Radius) * (1.0 + 0x1p-20) + 0x1p-50 * magnitude;
    node.Sep2 = Infinity;
    return node;
  };
  // x followed by y, whose first iterate is `middle`.
  const TFloatExp dcMax = settings.DcMax;
  const auto merge = [&](const TNode& x, const TNode& y, int64_t middle) {
    TNode node;
    node.A = Mul(y.A, x.A);
    node.B = Add(Mul(y.A, x.B), y.B);
    // The second part needs |A_x dz + B_x dc| < its radius for every pixel.
    const TFloatExp room = Sub(y.Radius, Mul(Abs(x.B), dcMax));
    TFloatExp radius = x.Radius;
    if (room.M <= 0.0) {
      radius = TFloatExp{};
    } else if (!IsZero(x.A)) {
      radius = Min(radius, Div(room, Abs(x.A)));
    }
    node.Radius = radius;
    node.Radius2 = ToDouble(Mul(radius, radius));
    node.Bound = std::max(x.Bound, y.Bound);
    node.Sep2 = std::min(x.Sep2, y.Sep2);
    if (maxCycle > 0) node.Sep2 = std::min(node.Sep2, separation[static_cast<size_t>(middle)]);
    return node;
  };
  const auto stopped = [&](size_t i) {
    return (i & 65535) == 65535 && stop && stop->load(std::memory_order_relaxed);
  };

  std::vector<TNode> pairs(static_cast<size_t>(steps / 2));
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (stopped(i)) return false;
    const int64_t t = OriginIndex + 2 * static_cast<int64_t>(i);
    pairs[i] = merge(single(t), single(t + 1), t + 1);
  }
  Table.push_back(std::move(pairs));
  for (int levelIndex = 2;; ++levelIndex) {
    const std::vector<TNode>& below = Table.back();
    const size_t count = below.size() / 2;
    if (count == 0) break;
    std::vector<TNode> next(count);
    const int64_t half = int64_t{1} << (levelIndex - 1);
    for (size_t i = 0; i < count; ++i) {
      if (stopped(i)) return false;
      next[i] = merge(below[2 * i], below[2 * i + 1],
                      OriginIndex + static_cast<int64_t>(2 * i + 1) * half);
    }
    Table.push_back(std::move(next));
  }
  return true;
}
