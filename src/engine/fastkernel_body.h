#pragma once
#include <algorithm>
#include <limits>
// The vector kernel, written once over a small set of vector operations `V` and compiled by each
// instruction-set file with its own flags. Everything sits in an unnamed namespace so that each
// build keeps its own copy: sharing an inline function between builds would let the linker run
// wide instructions on a CPU that lacks them.
//
// Each lane of a vector carries one pixel; K vectors are stepped together so that their
// dependent multiplications and additions overlap. A lane whose pixel escapes, faults, cycles or
// reaches the limit is settled with scalar code that repeats the reference's tests, and at once
// gets the next pixel of the band. Every arithmetic operation is the reference's, in its order,
// on the same doubles, so each lane computes exactly what the reference computes.
#include <atomic>
#include <cmath>
#include <cstdint>

#include "engine/fastkernel_isa.h"

namespace {

template <class V>
struct TVComplex {
  typename V::D re, im;
};

template <class V>
inline TVComplex<V> VAdd(TVComplex<V> a, TVComplex<V> b) {
  return {a.re + b.re, a.im + b.im};
}
template <class V>
inline TVComplex<V> VSub(TVComplex<V> a, TVComplex<V> b) {
  return {a.re - b.re, a.im - b.im};
}
template <class V>
inline TVComplex<V> VAddReal(TVComplex<V> a, typename V::D r) {
  return {a.re + r, a.im};
}
template <class V>
inline TVComplex<V> VSubReal(TVComplex<V> a, typename V::D r) {
  return {a.re - r, a.im};
}
template <class V>
inline TVComplex<V> VRealSub(typename V::D r, TVComplex<V> a) {
  return {r - a.re, -a.im};
}
template <class V>
inline TVComplex<V> VScale(TVComplex<V> a, typename V::D r) {
  return {a.re * r, a.im * r};
}
template <class V>
inline TVComplex<V> VMul(TVComplex<V> a, TVComplex<V> b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

// Smith's quotient. Both of its branches are the same operations on swapped operands, so the
// operands are chosen per lane and each lane performs exactly its branch's operations.
template <class V>
inline TVComplex<V> VDiv(TVComplex<V> a, TVComplex<V> b) {
  const auto reWins = V::GreaterEq(V::Abs(b.re), V::Abs(b.im));
  const auto num = V::Select(reWins, b.im, b.re);
  const auto den = V::Select(reWins, b.re, b.im);
  const auto ratio = num / den;
  const auto denom = den + num * ratio;
  const auto reRatio = a.re * ratio;
  const auto imRatio = a.im * ratio;
  const auto re = V::Select(reWins, a.re, reRatio) + V::Select(reWins, imRatio, a.im);
  const auto im = V::Select(reWins, a.im, imRatio) - V::Select(reWins, reRatio, a.re);
  return {re / denom, im / denom};
}

template <class V>
inline TVComplex<V> VPowInt(TVComplex<V> z, int32_t k) {
  uint32_t bits = k < 0 ? 0u - static_cast<uint32_t>(k) : static_cast<uint32_t>(k);
  TVComplex<V> result{V::Set(1.0), V::Set(0.0)};
  TVComplex<V> base = z;
  while (bits != 0) {
    if (bits & 1u) result = VMul<V>(result, base);
    bits >>= 1;
    if (bits != 0) base = VMul<V>(base, base);
  }
  return k < 0 ? VDiv<V>({V::Set(1.0), V::Set(0.0)}, result) : result;
}

// One formula step on every lane; the formula's quirks are the reference's.
template <class V, int Formula>
inline TVComplex<V> VStep(TVComplex<V> z, TVComplex<V> c, TVComplex<V> d, int32_t n, int32_t m) {
  const auto x = z.re;
  const auto y = z.im;
  if constexpr (Formula == 0) {
    return {x * x - y * y + c.re, V::Set(2.0) * x * y + c.im};
  } else if constexpr (Formula == 1) {
    const auto a = x * x;
    const auto b = y * y;
    return {a * x - V::Set(3.0) * x * b + c.re, -b * y + V::Set(3.0) * y * a + c.im};
  } else if constexpr (Formula == 2) {
    const auto a = x * x;
    const auto b = y * y;
    return {a * a - V::Set(6.0) * a * b + b * b + c.re,
            V::Set(4.0) * (a * x * y - x * b * y) + c.im};
  } else if constexpr (Formula == 4) {
    const TVComplex<V> term = VScale<V>(VMul<V>(VMul<V>(d, d), z), V::Set(-3.0));
    return VAdd<V>(VSub<V>(VPowInt<V>(z, 3), term), c);
  } else if constexpr (Formula == 5) {
    return VAdd<V>(VAdd<V>(VPowInt<V>(z, n), VMul<V>(d, VPowInt<V>(z, m))), c);
  } else if constexpr (Formula == 6) {
    return VMul<V>(z, VAdd<V>(c, VMul<V>(VRealSub<V>(V::Set(1.0), z), VPowInt<V>(z, n))));
  } else if constexpr (Formula == 7) {
    const auto onAxis = V::Equal(x * y, V::Set(0.0));
    const TVComplex<V> moved =
        VMul<V>(z, VAdd<V>(c, VDiv<V>(VRealSub<V>(V::Set(1.0), z), VPowInt<V>(z, n))));
    return {V::Select(onAxis, x, moved.re), V::Select(onAxis, y, moved.im)};
  } else {
    static_assert(Formula == 8, "formula without a vector step");
    const TVComplex<V> zn = VPowInt<V>(z, n);
    return VDiv<V>(VMul<V>(z, VAdd<V>(c, VMul<V>(d, zn))), VAddReal<V>(zn, V::Set(1.0)));
  }
}

// Steps between two looks at the stop flag when no lane needs attention.
constexpr int64_t StopCheckSteps = 2048;

// Unused history entries hold this point, as in the reference.
constexpr double HistoryStart = 1000.0;

// The history ring, stored twice over so that the MaxCycle most recent entries are always
// contiguous, newest first, without wrapping.
constexpr int HistorySlots = 2 * (FastMaxCycle + 1);

// Escapes whose depth needs a logarithm wait here, so that several of these long, independent
// computations overlap instead of each stalling the lane settling.
struct TPendingEscapes {
  static constexpr int Capacity = 64;
  int64_t Cell[Capacity];
  double Steps[Capacity];
  double R2[Capacity];
  int Count = 0;

  void Flush(const TFastBand& job, double maxDepth) {
    for (int i = 0; i < Count; ++i) {
      double depth = Steps[i] - job.EscapeK * std::log(R2[i]) / job.LogOuter2;
      if (depth < 0) depth = 0.0001;
      if (depth == maxDepth) depth = 0.0;
      job.Depths[Cell[i]] = static_cast<float>(depth / maxDepth);
    }
    Count = 0;
  }
};

template <class V, int Formula, bool Cycles>
bool RunBand(const TFastBand& job) {
  using D = typename V::D;
  using M = typename V::M;
  constexpr int L = V::L;
  constexpr int K = V::K;
  constexpr int Lanes = K * L;

  struct alignas(64) THistory {
    double Re[Cycles ? HistorySlots : 1][K][L];
    double Im[Cycles ? HistorySlots : 1][K][L];
  };
  alignas(64) double laneRe[K][L], laneIm[K][L];
  THistory h;
  TPendingEscapes pending;
  int64_t start[Lanes];
  int column[Lanes], row[Lanes];
  unsigned activeBits[K] = {};
  M activeMask[K];

  const int mc = Cycles ? job.MaxCycle : 0;
  const int ring = mc + 1;
  int write = 0;  // ring position of the next iterate

  const int64_t lastStep = job.MaxDepth - 1;
  const double maxDepth = job.MaxDepth;
  const int64_t total = static_cast<int64_t>(job.Columns) * job.Rows;
  int64_t handedOut = 0;
  int nextColumn = 0, nextRow = 0;
  int running = 0;
  int64_t step = 0;

  // The lanes' numbers live in vectors across the step loop and the settling; a new pixel is
  // inserted into its lane.
  D x[K], y[K];
  TVComplex<V> c[K], d[K];
  for (int k = 0; k < K; ++k) x[k] = y[k] = c[k].re = c[k].im = d[k].re = d[k].im = V::Set(0.0);

  // Gives the lane the band's next pixel, or parks it when there is none. Returns whether the
  // lane got a pixel.
  auto load = [&](int k, int l) {
    const int lane = k * L + l;
    if (handedOut == total) {
      // A parked lane sits on 0, a fixed point of every vectorised formula (exponents >= 1):
      // it never escapes, and its cycles are masked.
      activeBits[k] &= ~(1u << l);
      x[k] = V::Insert(x[k], l, 0.0);
      y[k] = V::Insert(y[k], l, 0.0);
      c[k] = {V::Insert(c[k].re, l, 0.0), V::Insert(c[k].im, l, 0.0)};
      d[k] = {V::Insert(d[k].re, l, 0.0), V::Insert(d[k].im, l, 0.0)};
      return false;
    }
    const double re = job.ColumnRe[nextColumn];
    const double im = job.RowIm[nextRow];
    x[k] = V::Insert(x[k], l, re);
    y[k] = V::Insert(y[k], l, im);
    if (job.MapField == 1) c[k] = {V::Insert(c[k].re, l, re), V::Insert(c[k].im, l, im)};
    if (job.MapField == 2) d[k] = {V::Insert(d[k].re, l, re), V::Insert(d[k].im, l, im)};
    start[lane] = step;
    column[lane] = nextColumn;
    row[lane] = nextRow;
    activeBits[k] |= 1u << l;
    ++running;
    ++handedOut;
    if (++nextRow == job.Rows) {
      nextRow = 0;
      ++nextColumn;
    }
    return true;
  };
  // Unused history entries hold HistoryStart for the lanes in `lanes` (one bit per lane).
  auto resetHistory = [&](int k, unsigned lanes) {
    if constexpr (Cycles) {
      const M which = V::FromBits(lanes);
      const D fresh = V::Set(HistoryStart);
      for (int p = 0; p < 2 * ring; ++p) {
        V::Store(h.Re[p][k], V::Select(which, fresh, V::Load(h.Re[p][k])));
        V::Store(h.Im[p][k], V::Select(which, fresh, V::Load(h.Im[p][k])));
      }
    }
  };
  // The step at which the first running lane reaches the limit.
  auto firstDeadline = [&] {
    int64_t first = INT64_MAX;
    for (int k = 0; k < K; ++k)
      for (int l = 0; l < L; ++l)
        if (((activeBits[k] >> l) & 1u) && start[k * L + l] + lastStep < first)
          first = start[k * L + l] + lastStep;
    return first;
  };

  for (int k = 0; k < K; ++k) {
    if (job.MapField != 1) c[k] = {V::Set(job.CR), V::Set(job.CI)};
    if (job.MapField != 2) d[k] = {V::Set(job.DR), V::Set(job.DI)};
    if constexpr (Cycles) {
      for (int p = 0; p < 2 * ring; ++p) {
        V::Store(h.Re[p][k], V::Set(HistoryStart));
        V::Store(h.Im[p][k], V::Set(HistoryStart));
      }
    }
    for (int l = 0; l < L; ++l) load(k, l);
    activeMask[k] = V::FromBits(activeBits[k]);
  }
  int64_t deadline = firstDeadline();

  // An escape radius whose square overflows must still let an overflowing r2 count as a fault
  // first, as in the reference: inf <= inf would keep the lane going one more step.
  const D outer2 = V::Set(std::min(job.Outer2, std::numeric_limits<double>::max()));
  const D inner2 = V::Set(job.Inner2);
  const int32_t n = job.N;
  const int32_t m = job.M;

  while (running > 0) {
    const int64_t event = deadline < step + StopCheckSteps ? deadline : step + StopCheckSteps;
    M exits[K];
    for (;;) {
#pragma GCC unroll 8
      for (int k = 0; k < K; ++k) {
        const TVComplex<V> next = VStep<V, Formula>({x[k], y[k]}, c[k], d[k], n, m);
        const D r2 = next.im * next.im + next.re * next.re;
        // Beyond the circle, or not a number at all: a fault, which the lane's settling sorts out.
        M exit = V::NotLessEq(r2, outer2);
        if constexpr (Cycles) {
          M hit = V::None();
          for (int j = 1; j <= mc; ++j) {
            const D di = V::Load(h.Im[write + j][k]) - next.im;
            const D dr = V::Load(h.Re[write + j][k]) - next.re;
            hit = V::Or(hit, V::Less(di * di + dr * dr, inner2));
          }
          exit = V::Or(exit, V::And(hit, activeMask[k]));
          V::Store(h.Re[write][k], next.re);
          V::Store(h.Re[write + ring][k], next.re);
          V::Store(h.Im[write][k], next.im);
          V::Store(h.Im[write + ring][k], next.im);
        }
        x[k] = next.re;
        y[k] = next.im;
        exits[k] = exit;
      }
      ++step;
      if constexpr (Cycles) write = write == 0 ? ring - 1 : write - 1;
      M any = exits[0];
#pragma GCC unroll 8
      for (int k = 1; k < K; ++k) any = V::Or(any, exits[k]);
      if (V::Any(any) || step == event) break;
    }
    if (job.Stop && job.Stop->load(std::memory_order_relaxed)) return false;

    // The history as it was before this step, newest first, starts here.
    const int previous = write == ring - 1 ? 0 : write + 1;
    const bool atDeadline = step == deadline;
    bool newDeadline = atDeadline;
    for (int k = 0; k < K; ++k) {
      unsigned candidates = V::Bits(exits[k]) & activeBits[k];
      if (atDeadline)
        for (int l = 0; l < L; ++l)
          if (((activeBits[k] >> l) & 1u) && start[k * L + l] + lastStep == step)
            candidates |= 1u << l;
      if (candidates == 0) continue;
      V::Store(laneRe[k], x[k]);
      V::Store(laneIm[k], y[k]);
      const unsigned wasActive = activeBits[k];
      unsigned refilled = 0;
      while (candidates != 0) {
        const int l = __builtin_ctz(candidates);
        candidates &= candidates - 1;
        const int lane = k * L + l;
        const int64_t steps = step - start[lane];
        const int64_t cell = column[lane] * job.Stride + row[lane];

        // The reference's tests, in its order, on the lane's numbers.
        const double re = laneRe[k][l];
        const double im = laneIm[k][l];
        const double r2 = im * im + re * re;
        double depth = static_cast<double>(steps);
        int32_t period = 0;
        if (!std::isfinite(re) || !std::isfinite(im) || !std::isfinite(r2)) {
          // A fault keeps the whole count.
        } else if (r2 > job.Outer2) {
          if (job.Fractional) {
            if (pending.Count == TPendingEscapes::Capacity) pending.Flush(job, maxDepth);
            pending.Cell[pending.Count] = cell;
            pending.Steps[pending.Count] = depth;
            pending.R2[pending.Count] = r2;
            ++pending.Count;
            depth = maxDepth;  // a marker: the depth is stored when the list is flushed
          }
        } else {
          if constexpr (Cycles) {
            for (int j = 0; j < mc; ++j) {
              const double di = h.Im[previous + 1 + j][k][l] - im;
              const double dr = h.Re[previous + 1 + j][k][l] - re;
              if (di * di + dr * dr < job.Inner2) {
                period = j + 1;
                break;
              }
            }
          }
          if (period != 0) {
            depth = -depth;
          } else if (steps == lastStep) {
            depth = maxDepth;
          } else {
            continue;  // unreachable: a flagged lane meets one of the tests above
          }
        }
        // Whole counts (and the limit) are stored at once; pending escapes overwrite theirs.
        if (depth == maxDepth) depth = 0.0;
        job.Depths[cell] = static_cast<float>(depth / maxDepth);
        job.Cycles[cell] = period;
        --running;
        if (--job.Remaining[column[lane]] == 0) {
          pending.Flush(job, maxDepth);
          job.ColumnDone(job.Context, column[lane]);
        }
        if (start[lane] + lastStep == deadline) newDeadline = true;
        if (load(k, l)) refilled |= 1u << l;
      }
      if (refilled != 0) resetHistory(k, refilled);
      if (activeBits[k] != wasActive) activeMask[k] = V::FromBits(activeBits[k]);
    }
    if (newDeadline) deadline = firstDeadline();
  }
  pending.Flush(job, maxDepth);
  return true;
}

template <class V, bool Cycles>
bool RunBandFormula(const TFastBand& job) {
  switch (job.Formula) {
    case 0:
      return RunBand<V, 0, Cycles>(job);
    case 1:
      return RunBand<V, 1, Cycles>(job);
    case 2:
      return RunBand<V, 2, Cycles>(job);
    case 4:
      return RunBand<V, 4, Cycles>(job);
    case 5:
      return RunBand<V, 5, Cycles>(job);
    case 6:
      return RunBand<V, 6, Cycles>(job);
    case 7:
      return RunBand<V, 7, Cycles>(job);
    default:
      return RunBand<V, 8, Cycles>(job);
  }
}

template <class V>
bool RunFastBand(const TFastBand& job) {
  return job.MaxCycle > 0 ? RunBandFormula<V, true>(job) : RunBandFormula<V, false>(job);
}

}  // namespace
