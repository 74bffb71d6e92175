#include "engine/deep/TDeepPlan.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "engine/deep/deepzoom.h"
#include "engine/deep/nucleus.h"

std::unique_ptr<TDeepPlan> TDeepPlan::Create(const TDeepParams& params, std::string& errorText,
                                             int64_t maxOrbitLength) {
  const TDeepParams& p = params;
  if (!DeepKernelSupports(p.Formula) || p.MapField < TKernelParams::MapZ ||
      p.MapField > TKernelParams::MapD || p.XResolution < 1 || p.YResolution < 1 ||
      p.MaxDepth < 1 || p.MaxCycle < 0 || !(p.OuterCircle > 1) || !(p.InnerDist > 0) ||
      !(p.InnerDist < 1) || !std::isfinite(p.CR) || !std::isfinite(p.CI) ||
      !std::isfinite(p.DR) || !std::isfinite(p.DI) || p.N < 1 || p.M < 1 ||
      (p.ColorMode != TKernelParams::ColorContinue &&
       p.ColorMode != TKernelParams::ColorDiscontinue)) {
    errorText = "The deep kernel cannot compute these parameters.";
    return nullptr;
  }
  std::unique_ptr<TDeepPlan> plan(new TDeepPlan);
  if (!TDeepArea::Parse(params, plan->AreaValue, errorText)) return nullptr;
  plan->Parameters = params;
  plan->MaxOrbitLength = std::clamp<int64_t>(maxOrbitLength, 2, TReferenceOrbit::MaxLength);

  // Bits to resolve a pixel of the view (measured against magnitudes of at least 1, where the
  // orbits live; with the pixel as z also after the first step) and 64 more, so that the
  // reference's rounding stays far below a pixel.
  const TFloatExp magnitude = plan->AreaValue.Magnitude();
  const TFloatExp one = ToFloatExp(1.0);
  double resolution = RelativeResolutionLog2(
      plan->AreaValue.SpacingX(), plan->AreaValue.SpacingY(),
      Less(magnitude, one) ? one : magnitude,
      TKernelParams::MapC, p.Formula, 0.0);
  if (p.MapField != TKernelParams::MapC)
    resolution = std::min(resolution, RelativeResolutionLog2(plan->AreaValue.SpacingX(),
                                                             plan->AreaValue.SpacingY(), magnitude,
                                                             p.MapField, p.Formula,
                                                             std::hypot(p.CR, p.CI)));
  double bits = 64.0;
  if (std::isfinite(resolution)) bits += std::max(0.0, -resolution);
  plan->WorkingPrecision = static_cast<mpfr_prec_t>(
      std::min<double>(std::ceil(std::max(bits, 64.0)), static_cast<double>(MaxPrecision)));
  return plan;
}

bool TDeepPlan::Generic() const { return DeepDegree(Parameters.Formula) == 0; }

bool TDeepPlan::ComputeGenericOrbit(const TMpfrComplex& start, TGenericOrbit& orbit,
                                    const std::atomic<bool>* stop) const {
  const TDeepParams& p = Parameters;
  TMpfrComplex c(WorkingPrecision), d(WorkingPrecision);
  mpfr_set_d(c.Re.Get(), p.CR, MPFR_RNDN);
  mpfr_set_d(c.Im.Get(), p.CI, MPFR_RNDN);
  mpfr_set_d(d.Re.Get(), p.DR, MPFR_RNDN);
  mpfr_set_d(d.Im.Get(), p.DI, MPFR_RNDN);
  if (p.MapField == TKernelParams::MapC) c = start;
  if (p.MapField == TKernelParams::MapD) d = start;
  TGenericOrbit::TSettings settings;
  settings.Formula = p.Formula;
  settings.N = p.N;
  settings.M = p.M;
  settings.Outer2 = p.OuterCircle * p.OuterCircle;
  settings.Length = std::min(static_cast<int64_t>(p.MaxDepth), MaxOrbitLength);
  return orbit.Compute(start, c, d, settings, stop);
}

bool TDeepPlan::Prepare(const std::atomic<bool>* stop) {
  if (Ready.load(std::memory_order_acquire)) return true;
  std::lock_guard<std::mutex> lock(BuildLock);
  if (Ready.load(std::memory_order_relaxed)) return true;
  if (stop && stop->load(std::memory_order_relaxed)) return false;
  if (!Build(stop)) return false;
  Ready.store(true, std::memory_order_release);
  return true;
}

bool TDeepPlan::Build(const std::atomic<bool>* stop) {
  const TDeepParams& p = Parameters;
  const int centreX = p.XResolution / 2;
  const int centreY = p.YResolution / 2;
  const TMpfrComplex centre = AreaValue.PixelPoint(centreX, centreY, WorkingPrecision);

  Columns.resize(static_cast<size_t>(p.XResolution));
  Rows.resize(static_cast<size_t>(p.YResolution));
  for (int x = 0; x < p.XResolution; ++x)
    Columns[static_cast<size_t>(x)] = AreaValue.ColumnOffset(x, centreX);
  for (int y = 0; y < p.YResolution; ++y)
    Rows[static_cast<size_t>(y)] = AreaValue.RowOffset(y, centreY);
  const auto largestOffset = [&] {
    TFloatExp widest, tallest;
    for (const TFloatExp& o : Columns) widest = Max(widest, TFloatExp{std::fabs(o.M), o.E});
    for (const TFloatExp& o : Rows) tallest = Max(tallest, TFloatExp{std::fabs(o.M), o.E});
    return Abs(MakeComplex(widest, tallest));
  };

  if (Generic()) {
    // The general path: the orbit of the centre.
    auto orbit = std::make_unique<TGenericOrbit>();
    if (!ComputeGenericOrbit(centre, *orbit, stop)) return false;
    GenericMain = std::move(orbit);
    return true;
  }

  TReferenceOrbit::TSettings settings;
  settings.Formula = p.Formula;
  settings.Outer2 = p.OuterCircle * p.OuterCircle;
  settings.MaxCycle = p.MaxCycle <= MaxSkipCycle ? p.MaxCycle : 0;
  // One step more than a pixel can take: with the pixel as c its steps start at index 1.
  settings.Length = std::min(static_cast<int64_t>(p.MaxDepth) + 1, MaxOrbitLength);

  TMpfrComplex zero(WorkingPrecision);
  auto main = std::make_unique<TReferenceOrbit>();
  std::unique_ptr<TReferenceOrbit> orbitOfZero;
  if (p.MapField == TKernelParams::MapC) {
    settings.HasDc = true;
    // The largest |dc|, rounded up a little.
    settings.DcMax = Mul(largestOffset(), ToFloatExp(1.0 + 0x1p-30));
    if (!main->Compute(zero, centre, settings, stop)) return false;
    TMpfrComplex nucleus(WorkingPrecision);
    if (main->Size() < settings.Length && FindReference(*main, centre, nucleus, stop)) {
      // The nucleus's orbit outlasts the centre's: the pixels' offsets move by centre - nucleus.
      TMpfrComplex shift(WorkingPrecision + 64);
      mpfr_sub(shift.Re.Get(), centre.Re.Get(), nucleus.Re.Get(), MPFR_RNDN);
      mpfr_sub(shift.Im.Get(), centre.Im.Get(), nucleus.Im.Get(), MPFR_RNDN);
      const TFloatExp shiftRe = shift.Re.ToFloatExp();
      const TFloatExp shiftIm = shift.Im.ToFloatExp();
      for (TFloatExp& o : Columns) o = Add(o, shiftRe);
      for (TFloatExp& o : Rows) o = Add(o, shiftIm);
      settings.DcMax = Mul(largestOffset(), ToFloatExp(1.0 + 0x1p-30));
      auto better = std::make_unique<TReferenceOrbit>();
      if (!better->Compute(zero, nucleus, settings, stop)) return false;
      main = std::move(better);
    }
    if (stop && stop->load(std::memory_order_relaxed)) return false;
    Start = 1;
  } else {
    TMpfrComplex c(WorkingPrecision);
    mpfr_set_d(c.Re.Get(), p.CR, MPFR_RNDN);
    mpfr_set_d(c.Im.Get(), p.CI, MPFR_RNDN);
    if (!main->Compute(centre, c, settings, stop)) return false;
    orbitOfZero = std::make_unique<TReferenceOrbit>();
    if (!orbitOfZero->Compute(zero, c, settings, stop)) return false;
    Start = 0;
  }
  Main = std::move(main);
  FindFirstSkip(largestOffset());
  const auto moderate = [](int64_t e) { return e >= -900 && e <= 900; };
  StartInDoubles = moderate(FirstFactor.E) || IsZero(FirstFactor);
  ColumnsDouble.resize(Columns.size());
  RowsDouble.resize(Rows.size());
  for (size_t i = 0; i < Columns.size(); ++i) {
    StartInDoubles = StartInDoubles && (Columns[i].M == 0.0 || moderate(Columns[i].E));
    ColumnsDouble[i] = ToDouble(Columns[i]);
  }
  for (size_t i = 0; i < Rows.size(); ++i) {
    StartInDoubles = StartInDoubles && (Rows[i].M == 0.0 || moderate(Rows[i].E));
    RowsDouble[i] = ToDouble(Rows[i]);
  }
  FirstFactorRe = RealPart(FirstFactor);
  FirstFactorIm = ImagPart(FirstFactor);
  if (orbitOfZero) {
    Joint = true;
    JointReal.assign(Main->RealParts(), Main->RealParts() + Main->Size());
    JointReal.insert(JointReal.end(), orbitOfZero->RealParts(),
                     orbitOfZero->RealParts() + orbitOfZero->Size());
    JointImag.assign(Main->ImagParts(), Main->ImagParts() + Main->Size());
    JointImag.insert(JointImag.end(), orbitOfZero->ImagParts(),
                     orbitOfZero->ImagParts() + orbitOfZero->Size());
    Zero = std::move(orbitOfZero);
  } else {
    Joint = false;
    Zero.reset();
  }
  return true;
}

bool TDeepPlan::FindReference(const TReferenceOrbit& centreOrbit, const TMpfrComplex& centre,
                              TMpfrComplex& nucleus, const std::atomic<bool>* stop) {
  // The steps where the centre's orbit came nearer to 0 than ever before are the periods of
  // the components it passed closest to; the latest are the smallest, nearest ones.
  std::vector<int64_t> periods;
  double nearest = std::numeric_limits<double>::infinity();
  for (int64_t n = 1; n < centreOrbit.Size(); ++n) {
    const double re = centreOrbit.RealParts()[n];
    const double im = centreOrbit.ImagParts()[n];
    const double r2 = im * im + re * re;
    if (r2 < nearest) {
      nearest = r2;
      periods.push_back(n);
    }
  }
  // Far enough for the nuclei of components that show in the view.
  TFloatExp reach = ToFloatExp(0.0);
  for (const TFloatExp& o : Columns) reach = Max(reach, TFloatExp{std::fabs(o.M), o.E});
  for (const TFloatExp& o : Rows) reach = Max(reach, TFloatExp{std::fabs(o.M), o.E});
  reach = Mul(reach, ToFloatExp(4.0));
  int tried = 0;
  for (auto period = periods.rbegin(); period != periods.rend() && tried < MaxNucleusTries;
       ++period) {
    if (*period > MaxNucleusPeriod) continue;
    ++tried;
    mpfr_set(nucleus.Re.Get(), centre.Re.Get(), MPFR_RNDN);
    mpfr_set(nucleus.Im.Get(), centre.Im.Get(), MPFR_RNDN);
    if (!FindNucleus(nucleus, Parameters.Formula, *period, stop)) {
      if (stop && stop->load(std::memory_order_relaxed)) return false;
      continue;
    }
    TMpfrComplex distance(WorkingPrecision + 64);
    mpfr_sub(distance.Re.Get(), nucleus.Re.Get(), centre.Re.Get(), MPFR_RNDN);
    mpfr_sub(distance.Im.Get(), nucleus.Im.Get(), centre.Im.Get(), MPFR_RNDN);
    if (!Less(reach, Abs(distance.ToComplexExp()))) return true;
  }
  return false;
}

void TDeepPlan::FindFirstSkip(TFloatExp largestOffset) {
  // Every pixel starts at the same index with a difference (and a difference in c) of at
  // most largestOffset; the approximations valid for that are valid for each, and chain into
  // one factor. Cycle tests would need each pixel's history: not with them.
  FirstSteps = 0;
  FirstFactor = ToComplexExp(1.0, 0.0);
  if (Parameters.MaxCycle != 0) return;
  const TReferenceOrbit& orbit = *Main;
  const int64_t lastStep = static_cast<int64_t>(Parameters.MaxDepth) - 1;
  int64_t m = Start;
  for (;;) {
    const int64_t offset = m - orbit.Origin();
    const int64_t room = std::min(lastStep - FirstSteps, orbit.SafeEnd() - m);
    if (offset < 0 || room < 2 || orbit.Levels() < 1) return;
    int level = std::min<int>(orbit.Levels(), std::bit_width(static_cast<uint64_t>(room)) - 1);
    if (offset != 0) level = std::min(level, std::countr_zero(static_cast<uint64_t>(offset)));
    const TFloatExp size = Mul(Abs(FirstFactor), largestOffset);
    for (; level >= 1; --level) {
      const int64_t index = offset >> level;
      if (index >= orbit.NodeCount(level)) continue;
      const TReferenceOrbit::TNode& node = orbit.Node(level, index);
      if (!Less(size, node.Radius)) continue;
      // dz = A (F d) + B d with d the start difference, which with the pixel as c is dc.
      FirstFactor = Add(Mul(node.A, FirstFactor), node.B);
      const int64_t length = int64_t{1} << level;
      m += length;
      FirstSteps += length;
      break;
    }
    if (level < 1) return;
  }
}
