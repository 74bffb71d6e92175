#pragma once
#include <atomic>
#include <cstdint>

#include "engine/TKernelParams.h"
#include "engine/deep/floatexp.h"

class TDeepPlan;
class TReferenceOrbit;

// The scalar side of the deep kernel: one pixel ("lane") at a time, everything except the plain
// perturbed steps that the vector loop does for many lanes at once. A lane's pixel starts here,
// skips stretches of steps with the orbit's approximations, takes its steps with an exponent
// kept aside while its difference from the reference is tiny, rebases onto the orbit of 0 when
// its orbit comes nearer to 0 than to the reference, and is finished here. Compiled once for
// every instruction set, so that each gives the same results.
//
// A lane's full value is reference + difference, rounded to a double; escape, cycle and fault
// tests see only full values, as in the double kernel. History entries with a non-zero bound
// stand for skipped iterates: only the reference value is known, within that bound. A test
// that cannot be decided against such an entry restarts the pixel without skips.

/// Counters of a computation (summed over pixels; for benchmarks and tests).
struct TDeepStats {
  int64_t Pixels = 0;
  int64_t Steps = 0;     ///< formula steps of every pixel, skipped ones included
  int64_t Skipped = 0;   ///< steps skipped by approximations
  int64_t Rebases = 0;   ///< moves onto the orbit of 0
  int64_t Restarts = 0;  ///< pixels started again without skips
};

/// What every lane of a band reads; filled from a prepared plan (see MakeDeepContext).
struct TDeepContext {
  const TDeepPlan* Plan = nullptr;
  const TReferenceOrbit* Orbits[2] = {nullptr, nullptr};  ///< main orbit, orbit of 0
  int64_t Offsets[2] = {0, 0};  ///< joint index of each orbit's iterate 0
  int64_t ZeroEnd = 0;          ///< joint index of the last iterate of the orbit of 0
  int64_t ZeroStop = 0;         ///< Stop of a lane on iterate 0 of the orbit of 0
  /// |full value|^2 below which a rebasing pixel is handed to the scalar side: from there its
  /// steps after the first may be skipped. Farther out the vector loop rebases it itself.
  double ScalarRebase2 = 0;
  /// Whether lanes are watched for repeats (without cycle tests): a lane that comes back to an
  /// index and difference it had before repeats its steps since then for ever, so it reaches
  /// the limit, and is finished at once. It is looked at after each rebase (every rebase is
  /// then left to the scalar side) and where it passes a period of an orbit that repeats
  /// itself exactly (TReferenceOrbit::Period), which takes it back a period.
  bool WatchRepeats = false;
  /// Steps after which a watched lane's rebases in the vector loop are also looked at (lanes
  /// that run this long are mostly inside).
  int64_t WatchAfter = 4096;
  /// A lane rebases where |full value|^2 <= RebaseReach2 |difference|^2: 1 (no farther from 0
  /// than from the reference), or 4 when rebases are watched, so that a lane near a reference
  /// that passes 0 periodically (a small copy's nucleus) rebases there each period too; the
  /// rounding of its value is then at most twice that of its difference.
  double RebaseReach2 = 1.0;
  /// The one-step approximation's radius over |Z|, squared.
  double SingleStep2 = 0;
  const double* JointRe = nullptr;
  const double* JointIm = nullptr;
  int64_t StartIndex = 0;  ///< joint index of a pixel's start value
  int Degree = 2;  ///< k of the formula's deep step z^k + c
  bool HasDc = false;   ///< pixels differ in c
  bool Skips = false;   ///< approximations may be used
  int32_t MaxCycle = 0;
  /// What the confirmation of a cycle reads (the formula; the derivatives of the deep formulas
  /// read neither c nor d).
  TKernelParams Kernel;
  int64_t LastStep = 0;  ///< MaxDepth - 1: the last step a pixel takes
  double MaxDepth = 1;
  double Outer2 = 0, Inner2 = 0, InnerDist = 0, LogOuter2 = 0, EscapeK = 1;
  bool Fractional = false;  ///< escapes get the continuous correction
  int FirstColumn = 0, FirstRow = 0;  ///< picture position of the band's first cell
  const std::atomic<bool>* Stop = nullptr;
};

/// One pixel in progress. Plain data: the vector loop reads and writes the fields directly.
struct TDeepLane {
  int Column, Row;  ///< band-relative
  int Orbit;        ///< 0 main, 1 the orbit of 0
  int64_t Index;    ///< joint index of the current iterate's reference value
  int64_t End;      ///< joint index of the orbit's last iterate
  /// Joint index where the vector loop hands the lane back: the orbit's end, or the index
  /// after a step from a reference value near 0 (which shrinks the difference, so that skips
  /// may apply again).
  int64_t Stop;
  int64_t Steps;    ///< steps taken (the current iterate's number)
  bool Tiny;        ///< the difference is held in DzX, else in DzRe, DzIm
  double DzRe, DzIm;
  TComplexExp DzX;
  double DcRe, DcIm;  ///< the difference in c (0 with the pixel as z)
  TComplexExp DcX;
  bool DcZero;
  bool NoSkip;
  bool Pending;  ///< the current iterate (after the view's first skip) still needs its tests
  int32_t ApproxLeft;  ///< pushes until no skipped iterate is among the history entries
  double* HRe;  ///< history, MaxCycle entries, most recent first (buffers not owned)
  double* HIm;
  double* HBound;  ///< 0 for an iterate taken, the bound of a skipped one
  float Depth;     ///< results, once finished
  int32_t Period;
  int64_t Skipped, Rebases, Restarts;
  /// The indices and differences at the latest rebases and periods passed (see
  /// TDeepContext::WatchRepeats).
  static constexpr int RepeatSlots = 4;
  int64_t SeenIndex[RepeatSlots];
  double SeenRe[RepeatSlots], SeenIm[RepeatSlots];
  int32_t Seen;
};

/// What the scalar side hands back.
enum class TLaneState {
  Vector,    ///< ready for plain steps: difference in DzRe, DzIm, no skipped history entry,
             ///< Stop set
  Finished,  ///< Depth and Period hold the pixel's results
  Stopped,   ///< the stop flag was seen
};

/// dz' = (Z + dz)^k - Z^k + dc for `degree` k = 2 .. 4 with the exponents kept
/// aside: the step of a pixel whose difference is tiny (the vector loop's step on doubles is
/// DeltaStep of deepstep.h).
TComplexExp DeepDeltaStep(int degree, TComplexExp z, TComplexExp dz, TComplexExp dc);

/// The vector loop's bound on |dz|^2 for lanes whose difference can become tiny.
constexpr double DeepTiny2 = 0x1p-1000;


/// The context of the band whose first cell is (firstColumn, firstRow) of a prepared plan.
TDeepContext MakeDeepContext(const TDeepPlan& plan, int firstColumn, int firstRow,
                             const std::atomic<bool>* stop);

/// Sets the lane to the start of pixel (column, row) of the band (history buffers must be set).
void StartLane(const TDeepContext& context, TDeepLane& lane, int column, int row);

/// Runs the lane's scalar work: with `pendingTest` the current iterate is tested first (the
/// vector loop flagged it; the history must not hold it yet). Returns when the lane is ready
/// for plain steps, finished, or stopped.
TLaneState AdvanceLane(const TDeepContext& context, TDeepLane& lane, bool pendingTest);

/// Computes pixel (column, row) of the band on this thread alone, taking the plain steps the
/// vector loop would take, with the same tests: the same results as the vector builds.
TLaneState ComputeLane(const TDeepContext& context, TDeepLane& lane, int column, int row);
