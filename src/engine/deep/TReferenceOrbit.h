#pragma once
#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/deep/TMpfrComplex.h"
#include "engine/deep/floatexp.h"

/// One reference orbit of a deep view: the iterates Z_0, Z_1, ... of a start point under
/// z^k + C, computed in MPFR and stored as doubles (values below 2^-900 also with their
/// exponent kept aside), with the table of bilinear approximations that lets a pixel near the
/// reference skip whole stretches of steps:
///   dz_{m+len} = A dz_m + B dc   while |dz_m| < Radius,
/// where dz is the pixel's difference from the reference and dc its difference in c.
/// Approximations cover 2^level steps from m = Origin() + i 2^level (level >= 1). Built once,
/// then only read (by any number of threads).
class TReferenceOrbit {
public:
  /// One approximation of 2^level steps from m.
  struct TNode {
    TComplexExp A, B;
    TFloatExp Radius;  ///< valid while |dz_m| < Radius
    double Radius2;    ///< Radius^2 as a double (0 below the double range)
    /// Upper bound of |dz| at the skipped iterates m + 1 .. m + len - 1, with a margin for
    /// the rounding of full values to doubles (plane units).
    double Bound;
    /// The smallest squared distance of a skipped iterate's reference value from one of its
    /// MaxCycle predecessors on the orbit (infinity without cycle detection).
    double Sep2;
  };

  /// What the orbit and its table are built for.
  struct TSettings {
    int Formula = 0;        ///< a formula with a deep degree k: z^k + C
    double Outer2 = 1e6;    ///< the escape test's bound on |z|^2
    int32_t MaxCycle = 0;   ///< history length the separations are kept for (0: none)
    TFloatExp DcMax;        ///< the largest |dc| of a pixel (0 with the pixel as z)
    bool HasDc = false;     ///< whether pixels differ in c (the pixel as c)
    int64_t Length = 1;     ///< iterates wanted: Z_0 .. Z_{Length - 1}
  };

  /// Longest orbit kept; a pixel that runs past the end continues from the start of its orbit
  /// of 0 (rebasing), so a longer limit still gives right pictures, only more slowly.
  static constexpr int64_t MaxLength = int64_t{1} << 21;

  /// The radius of the one-step approximation at Z is this factor times |Z| (for z^k + C,
  /// `degree` k = 2 .. 4).
  static double RadiusFactor(int degree);

  /// Computes the orbit of `start` under z^k + `c` and its table. Stops at the first iterate
  /// beyond the escape bound (kept), before the first iterate a double cannot hold, or at
  /// Length (at most MaxLength). Returns false when `stop` became true first.
  bool Compute(const TMpfrComplex& start, const TMpfrComplex& c, const TSettings& settings,
               const std::atomic<bool>* stop);

  /// Iterates stored: Z_0 .. Z_{Size() - 1}, Size() >= 1.
  int64_t Size() const { return static_cast<int64_t>(Re.size()); }
  const double* RealParts() const { return Re.data(); }
  const double* ImagParts() const { return Im.data(); }
  /// Z_i with its exponent kept aside (exact to 53 bits even below the double range).
  TComplexExp Value(int64_t i) const;

  /// First step an approximation starts at: 1 when the orbit starts at 0 (step 0 leaves
  /// differences alone there), else 0.
  int64_t Origin() const { return OriginIndex; }
  /// No approximation reaches beyond this iterate: iterates near the escape bound and the
  /// last one are taken step by step.
  int64_t SafeEnd() const { return SafeEndIndex; }
  /// Levels of the table: 1 .. Levels() (0 when the orbit is too short for any).
  int Levels() const { return static_cast<int>(Table.size()) - 1; }
  /// Approximation i of `level` (1 <= level <= Levels()): steps Origin() + i 2^level onward.
  const TNode& Node(int level, int64_t i) const { return Table[level][i]; }
  /// Number of approximations of `level`.
  int64_t NodeCount(int level) const { return static_cast<int64_t>(Table[level].size()); }
  /// The smallest squared separation (as in TNode::Sep2) of iterates i .. i + MaxCycle - 1.
  double SeparationFrom(int64_t i) const;
  /// The first index j >= i whose value is near 0 (0 < |Z_j|^2 < NearZero2), or Size().
  int64_t NextNearZero(int64_t i) const { return Near[static_cast<size_t>(i)]; }

  /// Where the stored orbit repeats itself exactly: from PeriodStart() on, iterate n + Period()
  /// has the same doubles (and exponent) as iterate n, up to the end, for at least two periods
  /// (an orbit that has settled on an attracting cycle). Period() is 0 when it does not.
  int64_t PeriodStart() const { return PeriodFrom; }
  int64_t Period() const { return PeriodLength; }

  /// |Z|^2 below which an iterate counts as near 0: the step from it shrinks a difference by
  /// 2|Z| or more, so that skips may apply again after it.
  static constexpr double NearZero2 = 0x1p-20;

private:
  bool BuildTable(const TSettings& settings, const std::atomic<bool>* stop);

  std::vector<double> Re, Im;
  std::vector<std::pair<int64_t, TComplexExp>> Tiny;  // sorted by index
  std::vector<std::vector<TNode>> Table;              // [level][i]; level 0 unused
  std::vector<double> Window;                         // SeparationFrom, when MaxCycle > 0
  std::vector<int32_t> Near;                          // NextNearZero
  int64_t OriginIndex = 0;
  int64_t SafeEndIndex = 0;
  int64_t PeriodFrom = 0, PeriodLength = 0;

  void FindPeriod();
  bool SameValue(int64_t i, int64_t j) const;
};
