#include "engine/deep/deeplane.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "core/assertions.h"
#include "engine/TKernelParams.h"
#include "engine/cycletest.h"
#include "engine/deep/TDeepPlan.h"
#include "engine/deep/TReferenceOrbit.h"
#include "engine/deep/deepstep.h"
#include "engine/deep/deepzoom.h"

namespace {

// A difference with |dz|^2 below this leaves the doubles: its steps would soon round into the
// subnormals, so it is held with its exponent instead. Its square is still a normal double.
constexpr double Tiny2 = DeepTiny2;

// Every history entry starts at this point, as in the double kernel.
constexpr double HistoryStart = 1000.0;

// Single steps the scalar side takes in a row towards an index where approximations start.
constexpr int MaxClimb = 4;

// Loop rounds of the scalar side between two looks at the stop flag.
constexpr int64_t StopCheckInterval = 4096;

const TStepConstants<TScalarNumbers> Constants;

enum class TTest { Continue, Finished, Restart };

void Finish(const TDeepContext& c, TDeepLane& lane, double depth, int32_t period) {
  if (depth == c.MaxDepth) depth = 0.0;
  lane.Depth = static_cast<float>(depth / c.MaxDepth);
  lane.Period = period;
}

void Push(const TDeepContext& c, TDeepLane& lane, double re, double im, double bound) {
  const size_t older = static_cast<size_t>(c.MaxCycle - 1);
  if (c.MaxCycle == 0) return;
  std::memmove(lane.HRe + 1, lane.HRe, older * sizeof(double));
  std::memmove(lane.HIm + 1, lane.HIm, older * sizeof(double));
  std::memmove(lane.HBound + 1, lane.HBound, older * sizeof(double));
  lane.HRe[0] = re;
  lane.HIm[0] = im;
  lane.HBound[0] = bound;
}

bool TinyDouble(const TDeepLane& lane) {
  const double d2 = lane.DzIm * lane.DzIm + lane.DzRe * lane.DzRe;
  // An exact 0 with the same c as the reference stays 0: it needs no exponent.
  return d2 < Tiny2 && !(lane.DzRe == 0.0 && lane.DzIm == 0.0 && lane.DcZero);
}

bool TinyExp(const TDeepLane& lane, TComplexExp dz) {
  if (IsZero(dz)) return !lane.DcZero;
  if (dz.E < -600) return true;
  if (dz.E > -400) return false;
  const double re = RealPart(dz);
  const double im = ImagPart(dz);
  return im * im + re * re < Tiny2;
}

void SetDelta(TDeepLane& lane, TComplexExp dz) {
  lane.Tiny = TinyExp(lane, dz);
  if (lane.Tiny) {
    lane.DzX = dz;
  } else {
    lane.DzRe = RealPart(dz);
    lane.DzIm = ImagPart(dz);
  }
}

// Moves a difference held in doubles into the exponent form where it has become tiny.
void Settle(TDeepLane& lane) {
  if (!lane.Tiny && TinyDouble(lane)) {
    lane.Tiny = true;
    lane.DzX = ToComplexExp(lane.DzRe, lane.DzIm);
  }
}

const TReferenceOrbit& OrbitOf(const TDeepContext& c, const TDeepLane& lane) {
  return *c.Orbits[lane.Orbit];
}

// The reference value at the lane's index, with its exponent.
TComplexExp ReferenceValue(const TDeepContext& c, const TDeepLane& lane) {
  return OrbitOf(c, lane).Value(lane.Index - c.Offsets[lane.Orbit]);
}

void FullValue(const TDeepContext& c, const TDeepLane& lane, double& re, double& im) {
  if (!lane.Tiny) {
    re = c.JointRe[lane.Index] + lane.DzRe;
    im = c.JointIm[lane.Index] + lane.DzIm;
    return;
  }
  const TComplexExp z = Add(ReferenceValue(c, lane), lane.DzX);
  re = RealPart(z);
  im = ImagPart(z);
}

void ResetPixel(const TDeepContext& c, TDeepLane& lane) {
  const TDeepPlan& plan = *c.Plan;
  const int column = c.FirstColumn + lane.Column;
  const int row = c.FirstRow + lane.Row;
  lane.Orbit = 0;
  lane.Index = c.StartIndex;
  lane.End = c.Offsets[0] + c.Orbits[0]->Size() - 1;
  lane.Steps = 0;
  lane.ApproxLeft = 0;
  for (int j = 0; j < c.MaxCycle; ++j) {
    lane.HRe[j] = HistoryStart;
    lane.HIm[j] = HistoryStart;
    lane.HBound[j] = 0.0;
  }
  lane.Depth = 0.0f;
  lane.Period = 0;
  lane.Pending = false;
  lane.Seen = 0;
  const bool firstSkip = plan.FirstSkipSteps() > 0 && !lane.NoSkip && c.Skips;
  // The start difference (and difference in c) with its exponent, made only where needed.
  const auto startDifference = [&] {
    return MakeComplex(plan.ColumnOffset(column), plan.RowOffset(row));
  };
  if (plan.DoubleStart()) {
    const double ox = plan.ColumnOffsetDouble(column);
    const double oy = plan.RowOffsetDouble(row);
    lane.DcRe = c.HasDc ? ox : 0.0;
    lane.DcIm = c.HasDc ? oy : 0.0;
    lane.DcX = ToComplexExp(lane.DcRe, lane.DcIm);
    lane.DcZero = lane.DcRe == 0.0 && lane.DcIm == 0.0;
    lane.DzRe = ox;
    lane.DzIm = oy;
    if (firstSkip) {
      const double fr = plan.FirstSkipFactorRe();
      const double fi = plan.FirstSkipFactorIm();
      lane.DzRe = fr * ox - fi * oy;
      lane.DzIm = fr * oy + fi * ox;
    }
    lane.Tiny = false;
  } else {
    const TComplexExp d0 = startDifference();
    lane.DcX = c.HasDc ? d0 : TComplexExp{};
    lane.DcZero = IsZero(lane.DcX);
    lane.DcRe = RealPart(lane.DcX);
    lane.DcIm = ImagPart(lane.DcX);
    SetDelta(lane, firstSkip ? Mul(plan.FirstSkipFactor(), d0) : d0);
  }
  // A difference the doubles cannot hold well starts with its exponent.
  if (!lane.Tiny && TinyDouble(lane)) {
    const TComplexExp d0 = startDifference();
    SetDelta(lane, firstSkip ? Mul(plan.FirstSkipFactor(), d0) : d0);
  }
  if (firstSkip) {
    // The view's first skip: the pixel's first iterate to test is the one after it.
    lane.Index += plan.FirstSkipSteps();
    lane.Steps = plan.FirstSkipSteps();
    lane.Skipped += plan.FirstSkipSteps();
    lane.Pending = true;
  }
}

// The double kernel's tests of an iterate with full value (re, im), in its order.
TTest TestIterate(const TDeepContext& c, TDeepLane& lane, double re, double im) {
  const double r2 = im * im + re * re;
  const double steps = static_cast<double>(lane.Steps);
  if (!std::isfinite(re) || !std::isfinite(im) || !std::isfinite(r2)) {
    Finish(c, lane, steps, 0);
    return TTest::Finished;
  }
  if (r2 > c.Outer2) {
    double depth = steps;
    if (c.Fractional) depth = steps - c.EscapeK * std::log(r2) / c.LogOuter2;
    if (depth < 0) depth = 0.0001;
    Finish(c, lane, depth, 0);
    return TTest::Finished;
  }
  for (int32_t j = 0; j < c.MaxCycle; ++j) {
    const double di = lane.HIm[j] - im;
    const double dr = lane.HRe[j] - re;
    const double d2 = di * di + dr * dr;
    if (lane.HBound[j] == 0.0) {
      if (d2 < c.Inner2) {
        // The multiplier needs the cycle's points themselves, not a skipped neighbourhood.
        for (int32_t i = 0; i < j; ++i)
          if (lane.HBound[i] != 0.0) return TTest::Restart;
        // The first match decides; a repelling cycle is passed by.
        if (CycleRepels(c.Kernel, {c.Kernel.CR, c.Kernel.CI}, {c.Kernel.DR, c.Kernel.DI},
                        {re, im}, lane.HRe, lane.HIm, j + 1))
          break;
        Finish(c, lane, -steps, j + 1);
        return TTest::Finished;
      }
    } else {
      // Only the skipped iterate's neighbourhood is known: too near to tell.
      const double reach = c.InnerDist + lane.HBound[j];
      if (!(d2 > reach * reach)) return TTest::Restart;
    }
  }
  Push(c, lane, re, im, 0.0);
  if (lane.ApproxLeft > 0) --lane.ApproxLeft;
  return TTest::Continue;
}

template <int Degree>
void DoubleStep(const TDeepContext& c, TDeepLane& lane) {
  double re, im;
  DeltaStep<Degree>(Constants, c.JointRe[lane.Index], c.JointIm[lane.Index], lane.DzRe,
                     lane.DzIm, lane.DcRe, lane.DcIm, re, im);
  lane.DzRe = re;
  lane.DzIm = im;
}

TComplexExp Scaled(TComplexExp z, double factor) { return Mul(z, ToFloatExp(factor)); }

}  // namespace

TComplexExp DeepDeltaStep(int degree, TComplexExp z, TComplexExp dz, TComplexExp dc) {
  switch (degree) {
    case 2:
      return Add(Mul(Add(Scaled(z, 2.0), dz), dz), dc);
    case 3: {
      const TComplexExp u = Add(Scaled(z, 3.0), dz);
      const TComplexExp s = Add(Scaled(Mul(z, z), 3.0), Mul(u, dz));
      return Add(Mul(s, dz), dc);
    }
    default: {
      const TComplexExp z2 = Mul(z, z);
      TComplexExp p = Add(Scaled(z, 4.0), dz);
      p = Add(Mul(p, dz), Scaled(z2, 6.0));
      p = Add(Mul(p, dz), Scaled(Mul(z2, z), 4.0));
      return Add(Mul(p, dz), dc);
    }
  }
}

namespace {

// One step of the lane from its index to the next; the difference stays in its form.
void ExplicitStep(const TDeepContext& c, TDeepLane& lane) {
  if (!lane.Tiny) {
    switch (c.Degree) {
      case 2:
        DoubleStep<2>(c, lane);
        break;
      case 3:
        DoubleStep<3>(c, lane);
        break;
      default:
        DoubleStep<4>(c, lane);
        break;
    }
  } else {
    lane.DzX = DeepDeltaStep(c.Degree, ReferenceValue(c, lane), lane.DzX, lane.DcX);
  }
  ++lane.Index;
  ++lane.Steps;
  if (lane.Tiny && !TinyExp(lane, lane.DzX)) {
    lane.Tiny = false;
    lane.DzRe = RealPart(lane.DzX);
    lane.DzIm = ImagPart(lane.DzX);
  }
}

// Whether the pixel's orbit is no farther from 0 than from the reference (or the orbit ends
// here). On the reference's own zeros this moves the pixel to the start of the orbit of 0,
// from where the approximations reach further.
bool NeedsRebase(const TDeepContext& c, const TDeepLane& lane, double re, double im) {
  if (lane.Index == lane.End) return true;
  if (lane.Index == c.Offsets[1]) return false;
  if (!lane.Tiny) {
    const double r2 = im * im + re * re;
    const double d2 = lane.DzIm * lane.DzIm + lane.DzRe * lane.DzRe;
    return r2 <= d2 * c.RebaseReach2;
  }
  return !Less(Mul(Norm2(lane.DzX), ToFloatExp(c.RebaseReach2)),
               Norm2(Add(ReferenceValue(c, lane), lane.DzX)));
}

// The pixel continues from iterate 0 of the orbit of 0: its difference becomes its value.
void Rebase(const TDeepContext& c, TDeepLane& lane, double re, double im) {
  const TComplexExp value =
      lane.Tiny ? Add(ReferenceValue(c, lane), lane.DzX) : ToComplexExp(re, im);
  lane.Orbit = 1;
  lane.Index = c.Offsets[1];
  lane.End = c.ZeroEnd;
  SetDelta(lane, value);
  ++lane.Rebases;
}

// Whether the lane, just rebased or taken back a period, has had this index and difference at
// an earlier such point (see TDeepContext::WatchRepeats); else they are kept for the next.
bool RepeatsItself(const TDeepContext& c, TDeepLane& lane) {
  if (!c.WatchRepeats || lane.Tiny) return false;
  const int32_t kept = std::min(lane.Seen, TDeepLane::RepeatSlots);
  for (int32_t i = 0; i < kept; ++i)
    if (lane.SeenIndex[i] == lane.Index && lane.SeenRe[i] == lane.DzRe &&
        lane.SeenIm[i] == lane.DzIm)
      return true;
  const int32_t slot = lane.Seen % TDeepLane::RepeatSlots;
  lane.SeenIndex[slot] = lane.Index;
  lane.SeenRe[slot] = lane.DzRe;
  lane.SeenIm[slot] = lane.DzIm;
  ++lane.Seen;
  return false;
}

// The whole periods of a repeating orbit a watched lane is taken back by at a time: at least
// MinFoldSteps steps, so that lanes on a short cycle (a Misiurewicz point's) are not stopped
// every few steps. 0 when the orbit does not repeat itself.
int64_t FoldSpan(const TReferenceOrbit& orbit) {
  constexpr int64_t MinFoldSteps = 4096;
  const int64_t period = orbit.Period();
  if (period == 0) return 0;
  const int64_t span = (MinFoldSteps + period - 1) / period * period;
  // The orbit holds at least two periods past PeriodStart; a span longer than that fits none.
  return orbit.PeriodStart() + span < orbit.Size() ? span : period;
}

// Takes a watched lane that has passed a fold span of an orbit that repeats itself back by
// whole spans: the reference values there are the same doubles. Whether it moved.
bool FoldPeriod(const TDeepContext& c, TDeepLane& lane) {
  if (!c.WatchRepeats) return false;
  const TReferenceOrbit& orbit = *c.Orbits[lane.Orbit];
  const int64_t span = FoldSpan(orbit);
  const int64_t m = lane.Index - c.Offsets[lane.Orbit];
  if (span == 0 || m < orbit.PeriodStart() + span) return false;
  lane.Index -= (m - orbit.PeriodStart()) / span * span;
  return true;
}

// Finishes a lane whose steps from here on repeat earlier ones, which ended nothing: it reaches
// the limit, and the steps it does not take count as skipped.
TLaneState FinishRepeating(const TDeepContext& c, TDeepLane& lane) {
  lane.Skipped += c.LastStep - lane.Steps;
  lane.Steps = c.LastStep;
  Finish(c, lane, c.MaxDepth, 0);
  return TLaneState::Finished;
}

// Whether no cycle test could fire at the iterates the approximation skips: those among
// themselves are apart on the orbit by more than InnerDist and both bounds; the first MaxCycle
// of them are also checked against the history they would be compared with.
bool HistorySafe(const TDeepContext& c, const TDeepLane& lane, const TReferenceOrbit& orbit,
                 const TReferenceOrbit::TNode& node, int64_t m, int64_t length) {
  const double reach = c.InnerDist + 2.0 * node.Bound;
  const double reach2 = reach * reach;
  if (!(node.Sep2 > reach2)) return false;
  // The steps right after the skip compare with skipped iterates too: a skip that would end
  // where the orbit comes within reach of itself would only be undone there.
  if (!(orbit.SeparationFrom(m + length) > reach2)) return false;
  const int64_t joint = c.Offsets[lane.Orbit] + m;
  const int64_t first = std::min<int64_t>(length - 1, c.MaxCycle);
  for (int64_t i = 1; i <= first; ++i) {
    const double vr = c.JointRe[joint + i];
    const double vi = c.JointIm[joint + i];
    for (int64_t j = i; j <= c.MaxCycle; ++j) {
      const int64_t e = j - i;
      const double di = lane.HIm[e] - vi;
      const double dr = lane.HRe[e] - vr;
      const double limit = c.InnerDist + node.Bound + lane.HBound[e];
      if (!(di * di + dr * dr > limit * limit)) return false;
    }
  }
  return true;
}

// dz = A dz + B dc of the approximation.
void ApplyNode(const TDeepContext& c, TDeepLane& lane, const TReferenceOrbit::TNode& node) {
  (void)c;
  const TComplexExp& a = node.A;
  const TComplexExp& b = node.B;
  if (!lane.Tiny && a.E >= -1000 && a.E <= 1000 && b.E >= -1000 && b.E <= 1000) {
    const double sa = Pow2(a.E);
    const double sb = Pow2(b.E);
    const double re = (a.Re * lane.DzRe - a.Im * lane.DzIm) * sa +
                      (b.Re * lane.DcRe - b.Im * lane.DcIm) * sb;
    const double im = (a.Re * lane.DzIm + a.Im * lane.DzRe) * sa +
                      (b.Re * lane.DcIm + b.Im * lane.DcRe) * sb;
    if (std::isfinite(re) && std::isfinite(im) && !(im * im + re * re < Tiny2)) {
      lane.DzRe = re;
      lane.DzIm = im;
      return;
    }
  }
  const TComplexExp dz = lane.Tiny ? lane.DzX : ToComplexExp(lane.DzRe, lane.DzIm);
  SetDelta(lane, Add(Mul(a, dz), Mul(b, lane.DcX)));
}

// Skips the longest stretch an approximation covers from the lane's iterate, if any.
bool TrySkip(const TDeepContext& c, TDeepLane& lane) {
  const TReferenceOrbit& orbit = OrbitOf(c, lane);
  const int64_t m = lane.Index - c.Offsets[lane.Orbit];
  const int64_t offset = m - orbit.Origin();
  if (offset < 0 || orbit.Levels() < 1) return false;
  const int64_t room = std::min(c.LastStep - lane.Steps, orbit.SafeEnd() - m);
  if (room < 2) return false;
  int level = std::min<int>(orbit.Levels(), std::bit_width(static_cast<uint64_t>(room)) - 1);
  if (offset != 0) level = std::min(level, std::countr_zero(static_cast<uint64_t>(offset)));

  double d2 = 0.0;
  TFloatExp size;
  if (lane.Tiny)
    size = Abs(lane.DzX);
  else
    d2 = lane.DzIm * lane.DzIm + lane.DzRe * lane.DzRe;
  for (; level >= 1; --level) {
    const int64_t index = offset >> level;
    if (index >= orbit.NodeCount(level)) continue;
    const TReferenceOrbit::TNode& node = orbit.Node(level, index);
    if (lane.Tiny ? !Less(size, node.Radius) : !(d2 < node.Radius2)) continue;
    const int64_t length = int64_t{1} << level;
    if (c.MaxCycle > 0 && !HistorySafe(c, lane, orbit, node, m, length)) continue;
    ApplyNode(c, lane, node);
    if (c.MaxCycle > 0) {
      const int64_t joint = c.Offsets[lane.Orbit] + m;
      for (int64_t i = std::max<int64_t>(1, length - c.MaxCycle); i < length; ++i)
        Push(c, lane, c.JointRe[joint + i], c.JointIm[joint + i], node.Bound);
      lane.ApproxLeft = c.MaxCycle;
    }
    lane.Index += length;
    lane.Steps += length;
    lane.Skipped += length;
    return true;
  }
  return false;
}

// Whether approximations are only held back by the lane's index, where none starts but the
// one-step one would hold: longer ones start a step on.
bool OneStepFromSkips(const TDeepContext& c, const TDeepLane& lane) {
  if (lane.Tiny) return false;
  const int64_t offset = lane.Index - c.Offsets[lane.Orbit] - OrbitOf(c, lane).Origin();
  if (offset < 0 || (offset & 1) == 0) return false;
  const double zr = c.JointRe[lane.Index];
  const double zi = c.JointIm[lane.Index];
  const double d2 = lane.DzIm * lane.DzIm + lane.DzRe * lane.DzRe;
  return d2 < c.SingleStep2 * (zi * zi + zr * zr);
}

// The lane's Stop from its index on (see TDeepLane::Stop).
int64_t StopOf(const TDeepContext& c, int orbit, int64_t index, int64_t end) {
  const int64_t offset = c.Offsets[orbit];
  const int64_t near = c.Orbits[orbit]->NextNearZero(index - offset) + offset + 1;
  int64_t stop = near < end ? near : end;
  // A watched lane is also taken back where it has passed a fold span of a repeating orbit.
  const TReferenceOrbit& o = *c.Orbits[orbit];
  if (c.WatchRepeats && o.Period() > 0) {
    const int64_t fold = offset + o.PeriodStart() + FoldSpan(o);
    if (index < fold && fold < stop) stop = fold;
  }
  return stop;
}

}  // namespace

TDeepContext MakeDeepContext(const TDeepPlan& plan, int firstColumn, int firstRow,
                             const std::atomic<bool>* stop) {
  const TDeepParams& p = plan.Params();
  TDeepContext c;
  c.Plan = &plan;
  c.Orbits[0] = &plan.MainOrbit();
  c.Orbits[1] = &plan.ZeroOrbit();
  c.Offsets[0] = 0;
  c.Offsets[1] = plan.ZeroOffset();
  c.ZeroEnd = plan.ZeroOffset() + plan.ZeroOrbit().Size() - 1;
  c.ZeroStop = StopOf(c, 1, c.Offsets[1], c.ZeroEnd);
  c.WatchRepeats = p.MaxCycle == 0;
  // After a rebase the difference is the value v, and one step later v^k + dc; skips from
  // there need it below the radius of the orbit's first approximation. With some room, and
  // only where skips are taken at all.
  const TReferenceOrbit& zero = plan.ZeroOrbit();
  if (plan.SkipsAllowed() && zero.Levels() >= 1 && zero.NodeCount(1) > 0) {
    const double radius = 4.0 * ToDouble(zero.Node(1, 0).Radius);
    c.ScalarRebase2 = std::pow(radius, 2.0 / DeepDegree(p.Formula));
  }

  c.JointRe = plan.JointRe();
  c.JointIm = plan.JointIm();
  c.StartIndex = plan.StartIndex();
  c.Degree = DeepDegree(p.Formula);
  c.HasDc = p.MapField == TKernelParams::MapC;
  c.Skips = plan.SkipsAllowed();
  c.MaxCycle = p.MaxCycle;
  c.Kernel.Formula = p.Formula;
  c.Kernel.MapField = p.MapField;
  c.Kernel.CR = p.CR;
  c.Kernel.CI = p.CI;
  c.LastStep = static_cast<int64_t>(p.MaxDepth) - 1;
  c.MaxDepth = p.MaxDepth;
  c.Outer2 = p.OuterCircle * p.OuterCircle;
  c.Inner2 = p.InnerDist * p.InnerDist;
  c.InnerDist = p.InnerDist;
  c.LogOuter2 = std::log(c.Outer2);
  const TFormula& formula = Formulas[static_cast<size_t>(p.Formula)];
  c.Fractional = p.ColorMode == TKernelParams::ColorContinue && formula.Fractional();
  // The deep kernel's formulas have fixed exponents, so the factor reads no N.
  ZASSERT(formula.EscapeDivisor != TFormula::DivideByN);
  c.EscapeK = formula.Fractional() ? formula.EscapeFactor(1) : 1.0;
  const double factor = TReferenceOrbit::RadiusFactor(c.Degree);
  c.SingleStep2 = factor * factor;
  c.FirstColumn = firstColumn;
  c.FirstRow = firstRow;
  c.Stop = stop;
  return c;
}

void StartLane(const TDeepContext& context, TDeepLane& lane, int column, int row) {
  lane.Column = column;
  lane.Row = row;
  lane.NoSkip = false;
  lane.Skipped = lane.Rebases = lane.Restarts = 0;
  ResetPixel(context, lane);
}

TLaneState AdvanceLane(const TDeepContext& c, TDeepLane& lane, bool pendingTest) {
  int64_t rounds = 0;
  int climb = 0;
  // A lane handed over at iterate 0 of the orbit of 0 was rebased by the vector loop.
  bool rebased = pendingTest && lane.Steps > 0 && lane.Index == c.Offsets[1];
  if (lane.Pending) {
    pendingTest = true;
    lane.Pending = false;
  }
  for (;;) {
    if (++rounds % StopCheckInterval == 0 && c.Stop && c.Stop->load(std::memory_order_relaxed))
      return TLaneState::Stopped;
    double re, im;
    FullValue(c, lane, re, im);
    if (pendingTest) {
      pendingTest = false;
      const TTest test = TestIterate(c, lane, re, im);
      if (test == TTest::Finished) return TLaneState::Finished;
      if (test == TTest::Restart) {
        ResetPixel(c, lane);
        lane.NoSkip = true;
        ++lane.Restarts;
        continue;
      }
    }
    if (lane.Steps >= c.LastStep) {
      Finish(c, lane, c.MaxDepth, 0);
      return TLaneState::Finished;
    }
    if (NeedsRebase(c, lane, re, im)) {
      Rebase(c, lane, re, im);
      // From here on the lane's future depends on its index and difference alone.
      climb = 0;
      if (RepeatsItself(c, lane)) return FinishRepeating(c, lane);
    } else if (std::exchange(rebased, false) || FoldPeriod(c, lane)) {
      climb = 0;
      if (RepeatsItself(c, lane)) return FinishRepeating(c, lane);
    }
    Settle(lane);
    const bool skips = c.Skips && !lane.NoSkip;
    if (skips && TrySkip(c, lane)) {
      climb = 0;
      pendingTest = true;
      continue;
    }
    // After a rebase the first step (from 0) is taken here, so that the approximations, which
    // start after it, get their chance; so are single steps towards an index where they start.
    const bool atOrbitStart = lane.Index == c.Offsets[lane.Orbit] && OrbitOf(c, lane).Origin() == 1;
    const bool climbing = skips && climb < MaxClimb && OneStepFromSkips(c, lane);
    if (lane.Tiny || lane.ApproxLeft > 0 || (skips && atOrbitStart) || climbing) {
      if (climbing) ++climb;
      ExplicitStep(c, lane);
      pendingTest = true;
      continue;
    }
    lane.Stop = StopOf(c, lane.Orbit, lane.Index, lane.End);
    return TLaneState::Vector;
  }
}

TLaneState ComputeLane(const TDeepContext& c, TDeepLane& lane, int column, int row) {
  StartLane(c, lane, column, row);
  TLaneState state = AdvanceLane(c, lane, false);
  int64_t steps = 0;
  while (state == TLaneState::Vector) {
    if (++steps % StopCheckInterval == 0 && c.Stop && c.Stop->load(std::memory_order_relaxed))
      return TLaneState::Stopped;
    // The vector loop's step and flags, one lane.
    ExplicitStep(c, lane);
    const double re = c.JointRe[lane.Index] + lane.DzRe;
    const double im = c.JointIm[lane.Index] + lane.DzIm;
    const double r2 = im * im + re * re;
    const double d2 = lane.DzIm * lane.DzIm + lane.DzRe * lane.DzRe;
    const bool near = r2 <= d2 * c.RebaseReach2;
    const bool small = r2 < c.ScalarRebase2;
    bool flagged = !(r2 <= c.Outer2) || d2 < Tiny2 || (near && small) ||
                   lane.Index == lane.Stop || lane.Steps == c.LastStep;
    for (int32_t j = 0; j < c.MaxCycle && !flagged; ++j) {
      const double di = lane.HIm[j] - im;
      const double dr = lane.HRe[j] - re;
      flagged = di * di + dr * dr < c.Inner2;
    }
    if (near && !small) {
      // Rebased without the scalar side: its full value becomes its difference.
      lane.DzRe = re;
      lane.DzIm = im;
      lane.Orbit = 1;
      lane.Index = c.Offsets[1];
      lane.End = c.ZeroEnd;
      lane.Stop = c.ZeroStop;
      ++lane.Rebases;
      // A long-running lane is looked at for repeats there.
      flagged = flagged || (c.WatchRepeats && lane.Steps >= c.WatchAfter);
    }
    if (flagged)
      state = AdvanceLane(c, lane, true);
    else
      Push(c, lane, re, im, 0.0);
  }
  return state;
}
