#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/deep/TDeepArea.h"
#include "engine/deep/TDeepParams.h"
#include "engine/deep/TGenericOrbit.h"
#include "engine/deep/TReferenceOrbit.h"
#include "engine/deep/floatexp.h"

/// Everything the bands of one deep view share: the parameters, the area in MPFR, the
/// working precision, and (after Prepare) the reference orbits with their tables and each
/// column's and row's difference from the reference point.
///
/// The reference point is the view's centre pixel. With the pixel as c (Mandelbrot) there is
/// one orbit, that of 0 under the reference's c: a pixel's orbit is that orbit one step on
/// (it starts at z = c), and a pixel rebases onto step 0 of it (value 0). When the centre's
/// orbit escapes before the limit, the nucleus of a nearby component (found by Newton's method
/// for a period at which the centre's orbit came near 0) takes its place if it lies within
/// about two view sizes: its orbit never escapes, so pixels that outlast the centre keep a
/// reference to be precise against. With the pixel as z
/// (Julia, and the pixel as d, which the deep formulas do not read) the main orbit starts at the
/// reference point and a second orbit, that of the critical point 0 under the same c, takes
/// the pixels that rebase.
///
/// Create on any thread; Prepare may be called from several threads at once (one builds, the
/// others wait); after a successful Prepare everything is read-only.
class TDeepPlan {
public:
  /// A plan for `params`, or null with errorText when a bound is not a plain decimal
  /// ("In Left: ...") or a parameter is outside its range (a formula with a deep degree, map mode,
  /// resolutions and MaxDepth >= 1, MaxCycle >= 0, OuterCircle > 1, 0 < InnerDist < 1).
  /// `maxOrbitLength` caps the reference orbits (pixels that run past the end rebase).
  static std::unique_ptr<TDeepPlan> Create(const TDeepParams& params, std::string& errorText,
                                           int64_t maxOrbitLength = TReferenceOrbit::MaxLength);

  /// Longest history the table's separations are kept for; above it pixels take no skips.
  static constexpr int32_t MaxSkipCycle = 64;
  /// When the centre's orbit escapes, nuclei of this many periods are tried, none longer
  /// than MaxNucleusPeriod (Newton's method costs its period in MPFR steps per round).
  static constexpr int MaxNucleusTries = 4;
  static constexpr int64_t MaxNucleusPeriod = int64_t{1} << 17;
  /// Highest working precision (bits): bounds of MaxDecimalDigits digits need less.
  static constexpr mpfr_prec_t MaxPrecision = 40000;
  /// Computes into `orbit` the general path's reference orbit of the view's point `start`
  /// (at the plan's precision): its constants are the view's, or the point where the pixel is
  /// c or d. False when `stop` became true first.
  bool ComputeGenericOrbit(const TMpfrComplex& start, TGenericOrbit& orbit,
                           const std::atomic<bool>* stop) const;

  const TDeepParams& Params() const { return Parameters; }
  const TDeepArea& Area() const { return AreaValue; }
  /// Bits of the reference orbits: the view's resolution plus a margin of 64.
  mpfr_prec_t Precision() const { return WorkingPrecision; }
  /// Whether the view's formula takes the general path (genericdeep.h): it has no deep degree.
  bool Generic() const;
  /// After Prepare, on the general path: the orbit of the centre pixel's start.
  const TGenericOrbit& GenericOrbit() const { return *GenericMain; }

  /// Computes the reference orbits, their tables and the pixel differences, once. Returns
  /// true when they are ready; false when `stop` became true first (a later call builds
  /// again). Thread-safe.
  bool Prepare(const std::atomic<bool>* stop = nullptr);
  /// Whether Prepare has succeeded.
  bool Prepared() const { return Ready.load(std::memory_order_acquire); }

  // After Prepare:
  /// The orbit pixels start on, and the orbit of 0 they rebase onto (the same object with the
  /// pixel as c).
  const TReferenceOrbit& MainOrbit() const { return *Main; }
  const TReferenceOrbit& ZeroOrbit() const { return Zero ? *Zero : *Main; }
  /// Index on the main orbit where a pixel's start value lies (1 with the pixel as c, else 0).
  int64_t StartIndex() const { return Start; }
  /// Both orbits' values one after the other (main, then zero unless they are the same): the
  /// vector loop reads Z through one index per lane.
  const double* JointRe() const { return Joint ? JointReal.data() : Main->RealParts(); }
  const double* JointIm() const { return Joint ? JointImag.data() : Main->ImagParts(); }
  /// Where the zero orbit begins in the joint arrays.
  int64_t ZeroOffset() const { return Joint ? Main->Size() : 0; }
  /// Column x's real part minus the reference's; row y's imaginary part minus the reference's.
  TFloatExp ColumnOffset(int x) const { return Columns[static_cast<size_t>(x)]; }
  TFloatExp RowOffset(int y) const { return Rows[static_cast<size_t>(y)]; }
  /// Whether pixels may skip steps at all (MaxCycle <= MaxSkipCycle).
  bool SkipsAllowed() const { return Parameters.MaxCycle <= MaxSkipCycle; }
  /// The skip every pixel of the view can take from its start (without cycle detection):
  /// after FirstSkipSteps() steps its difference is FirstSkipFactor() times its start
  /// difference (0 steps when there is none).
  int64_t FirstSkipSteps() const { return FirstSteps; }
  TComplexExp FirstSkipFactor() const { return FirstFactor; }
  /// Whether every offset and the first skip's factor are plain doubles (far from the ends of
  /// their range): a pixel's start is then computed on doubles.
  bool DoubleStart() const { return StartInDoubles; }
  /// The offsets and the factor as doubles (when DoubleStart).
  double ColumnOffsetDouble(int x) const { return ColumnsDouble[static_cast<size_t>(x)]; }
  double RowOffsetDouble(int y) const { return RowsDouble[static_cast<size_t>(y)]; }
  double FirstSkipFactorRe() const { return FirstFactorRe; }
  double FirstSkipFactorIm() const { return FirstFactorIm; }

private:
  TDeepPlan() = default;
  bool Build(const std::atomic<bool>* stop);
  bool FindReference(const TReferenceOrbit& centreOrbit, const TMpfrComplex& centre,
                     TMpfrComplex& nucleus, const std::atomic<bool>* stop);
  void FindFirstSkip(TFloatExp largestOffset);

  TDeepParams Parameters;
  TDeepArea AreaValue;
  mpfr_prec_t WorkingPrecision = 64;
  int64_t MaxOrbitLength = TReferenceOrbit::MaxLength;

  std::mutex BuildLock;
  std::atomic<bool> Ready{false};
  std::unique_ptr<TReferenceOrbit> Main, Zero;
  std::unique_ptr<TGenericOrbit> GenericMain;
  bool Joint = false;
  std::vector<double> JointReal, JointImag;
  int64_t Start = 0;
  std::vector<TFloatExp> Columns, Rows;
  int64_t FirstSteps = 0;
  TComplexExp FirstFactor;
  bool StartInDoubles = false;
  std::vector<double> ColumnsDouble, RowsDouble;
  double FirstFactorRe = 1.0, FirstFactorIm = 0.0;
};
