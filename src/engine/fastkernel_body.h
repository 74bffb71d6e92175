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
// on the same doubles, and the transcendental functions are the vector versions of the
// reference's, which give the same bits lane by lane; so each lane computes exactly what the
// reference computes.
#include <atomic>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

#include "engine/TFormula.h"
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

template <class V>
inline TVComplex<V> VExp(TVComplex<V> z) {
  const auto scale = V::Exp(z.re);
  typename V::D sin, cos;
  V::SinCos(z.im, sin, cos);
  return {scale * cos, scale * sin};
}

template <class V>
inline TVComplex<V> VSin(TVComplex<V> z) {
  typename V::D sin, cos;
  V::SinCos(z.re, sin, cos);
  return {sin * V::Cosh(z.im), cos * V::Sinh(z.im)};
}

// Formulas 0 to 2 square the parts of z; those squares are also the next step's escape test, so
// they are carried from one step to the next (`a` = x * x, `b` = y * y).
template <int Formula>
constexpr bool CarriesSquares = Formula <= 2;

// One formula step on every lane; the formula's quirks are the reference's.
template <class V, int Formula>
inline TVComplex<V> VStep(TVComplex<V> z, typename V::D a, typename V::D b, TVComplex<V> c,
                          TVComplex<V> d, int32_t n, int32_t m) {
  const auto x = z.re;
  const auto y = z.im;
  if constexpr (Formula == 0) {
    return {a - b + c.re, V::Set(2.0) * x * y + c.im};
  } else if constexpr (Formula == 1) {
    return {a * x - V::Set(3.0) * x * b + c.re, -b * y + V::Set(3.0) * y * a + c.im};
  } else if constexpr (Formula == 2) {
    return {a * a - V::Set(6.0) * a * b + b * b + c.re,
            V::Set(4.0) * (a * x * y - x * b * y) + c.im};
  } else if constexpr (Formula == 3) {
    // The angle is 0 at the origin, where y / r is not a number.
    const auto r = V::Sqrt(x * x + y * y);
    const auto half = V::Asin(y / r);
    const auto angle = V::Select(V::GreaterEq(x, V::Set(0.0)), half, V::Set(std::numbers::pi) - half);
    const auto t = V::Select(V::Equal(r, V::Set(0.0)), V::Set(0.0), angle);
    const auto power = V::Set(static_cast<double>(n));
    const auto s = V::Pow(r, power);
    typename V::D sin, cos;
    V::SinCos(power * t, sin, cos);
    return {s * cos + c.re, s * sin + c.im};
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
  } else if constexpr (Formula == 8) {
    const TVComplex<V> zn = VPowInt<V>(z, n);
    return VDiv<V>(VMul<V>(z, VAdd<V>(c, VMul<V>(d, zn))), VAddReal<V>(zn, V::Set(1.0)));
  } else if constexpr (Formula == 9) {
    return VSubReal<V>(VAdd<V>(VSub<V>(VExp<V>(z), z), c), V::Set(1.0));
  } else if constexpr (Formula == 10) {
    return VAdd<V>(VSin<V>(z), c);
  } else if constexpr (Formula == 11) {
    return VMul<V>(c, VSin<V>(z));
  } else {
    static_assert(Formula == 12, "no such formula");
    return VSubReal<V>(VAdd<V>(VSub<V>(VSin<V>(z), z), c), V::Set(1.0));
  }
}

// A lane without a pixel sits at z = 0 with d = 0 and this c, a fixed point of its formula
// (exponents >= 1), so that it never escapes; its cycles are masked.
template <int Formula>
constexpr double ParkedCR = Formula == 12 ? 1.0 : 0.0;

// Steps between two looks at the stop flag when no lane needs attention.
constexpr int64_t StopCheckSteps = 2048;

// Unused history entries hold this point, as in the reference.
constexpr double HistoryStart = 1000.0;

// The depth template argument of a history kept in memory (any MaxCycle up to FastMaxCycle);
// 0 means no cycle test, 1 .. FastRegisterCycle a history of that depth in registers.
constexpr int RingHistory = -1;

// The history ring in memory, stored twice over so that the MaxCycle most recent entries are
// always contiguous, newest first, without wrapping.
constexpr int HistorySlots = 2 * (FastMaxCycle + 1);

// How many vectors step together: the polynomial formulas need enough independent chains to
// hide their latency, fewer with a history in registers, which takes registers of its own; the
// transcendental ones spend their time in function calls, which keep little in registers.
template <class V, int Formula, int Depth>
constexpr int Chains() {
  if constexpr (Formula == 3 || Formula >= 9) return V::KTranscendental;
  if constexpr (Depth != 0) return V::KCycles;
  return V::K;
}

// Escapes whose depth needs a logarithm wait here, so that several of these long, independent
// computations overlap instead of each stalling the lane settling.
struct TPendingEscapes {
  static constexpr int Capacity = 64;
  int64_t Cell[Capacity];
  double Steps[Capacity];
  double R2[Capacity];
  int Count = 0;

  void Flush(const TFastBand& job) {
    const double maxDepth = job.MaxDepth;
    for (int i = 0; i < Count; ++i) {
      double depth = Steps[i] - job.EscapeK * std::log(R2[i]) / job.LogOuter2;
      if (depth < 0) depth = 0.0001;
      if (depth == maxDepth) depth = 0.0;
      job.Depths[Cell[i]] = static_cast<float>(depth / maxDepth);
    }
    Count = 0;
  }
};

// The lanes of one band between the step loop and the settling. While steps run, these numbers
// live in vector registers; the settling reads and writes them lane by lane.
//
// With a history in registers the step loop is dear to leave and enter again, so there each
// running lane also holds its next pixel ("staged"). When lanes end their pixels, the step loop
// itself puts their numbers aside ("done") and starts their staged pixels; it stops when a lane
// ends that has no staged pixel left, and the settling then works through everything put aside.
// Without such a history the loop stops for every ended pixel.
template <class V, int Formula, int Depth>
struct TLanes {
  static constexpr int L = V::L;
  static constexpr int K = Chains<V, Formula, Depth>();
  static constexpr int Count = K * L;
  static constexpr bool Ring = Depth == RingHistory;
  static constexpr int Held = Depth > 0 ? Depth : 0;
  // Whether lanes stage pixels, which the step loop starts itself.
  static constexpr bool Restarts = Held > 0;
  static_assert(Depth >= RingHistory && Depth <= FastRegisterCycle);
  static_assert(Count <= 64, "one bit per lane in a 64-bit word");

  using TField = double[K][L];
  alignas(64) TField X, Y;  // z
  alignas(64) TField CRe, CIm, DRe, DIm;
  // The history in registers, newest first, with one entry more: after a step, entries 1 to
  // Held are the history as it was before that step, which the settling tests against.
  alignas(64) TField HRe[Held + 1], HIm[Held + 1];
  // The history in memory (see HistorySlots).
  alignas(64) TField RingRe[Ring ? HistorySlots : 1], RingIm[Ring ? HistorySlots : 1];
  // Staged pixels: z (also c or d where the pixel supplies them).
  alignas(64) TField StagedRe, StagedIm;
  // Pixels put aside by the step loop: the step's result, the history before it, the step.
  alignas(64) TField DoneRe, DoneIm, DoneStep;
  alignas(64) TField DoneHRe[Held > 0 ? Held : 1], DoneHIm[Held > 0 ? Held : 1];
  uint64_t Active;  // one bit per lane that has a pixel
  uint64_t Staged;  // lanes holding a staged pixel
  uint64_t Done;    // lanes whose previous pixel waits in Done*
  uint64_t Exits;   // lanes the last step flagged that the loop did not put aside

  static double& At(TField& field, int lane) { return (&field[0][0])[lane]; }
};

// Steps every lane until the step count reaches `event` or a lane ends that cannot start a
// staged pixel, and returns the step count. The lanes' numbers are loaded into registers once
// and stored back at the end.
template <class V, int Formula, int Depth>
__attribute__((noinline)) int64_t Advance(TLanes<V, Formula, Depth>& s, const TFastBand& job,
                                          int& write, int64_t step, int64_t event) {
  using D = typename V::D;
  using M = typename V::M;
  using TState = TLanes<V, Formula, Depth>;
  constexpr int L = V::L;
  constexpr int K = TState::K;
  constexpr bool Ring = TState::Ring;
  constexpr int Held = TState::Held;
  constexpr bool Restarts = TState::Restarts;
  constexpr bool Squares = CarriesSquares<Formula>;
  constexpr unsigned LaneBits = (1u << L) - 1;

  // An escape radius whose square overflows must still let an overflowing r2 count as a fault
  // first, as in the reference: inf <= inf would keep the lane going one more step.
  const D outer2 = V::Set(std::min(job.Outer2, std::numeric_limits<double>::max()));
  const D inner2 = V::Set(job.Inner2);
  const int32_t n = job.N;
  const int32_t m = job.M;
  const int mc = Ring ? job.MaxCycle : Held;
  const int ringSize = mc + 1;
  const int mapField = job.MapField;

  D x[K], y[K], a[K], b[K];
  TVComplex<V> c[K], d[K];
  D hRe[Held > 0 ? Held : 1][K], hIm[Held > 0 ? Held : 1][K];
  M active[K];
#pragma GCC unroll 8
  for (int k = 0; k < K; ++k) {
    x[k] = V::Load(s.X[k]);
    y[k] = V::Load(s.Y[k]);
    if constexpr (Squares) {
      a[k] = x[k] * x[k];
      b[k] = y[k] * y[k];
    }
    c[k] = {V::Load(s.CRe[k]), V::Load(s.CIm[k])};
    d[k] = {V::Load(s.DRe[k]), V::Load(s.DIm[k])};
#pragma GCC unroll 8
    for (int j = 0; j < Held; ++j) {
      hRe[j][k] = V::Load(s.HRe[j][k]);
      hIm[j][k] = V::Load(s.HIm[j][k]);
    }
    active[k] = V::FromBits(static_cast<unsigned>(s.Active >> (k * L)) & LaneBits);
  }
  uint64_t staged = s.Staged;
  uint64_t done = s.Done;

  // The step's results are taken over (committed) once the exits are known: the history as it
  // was before the step must still be at hand for the lanes that end.
  D nx[K], ny[K], na[K], nb[K];
  M exits[K];
  auto commit = [&](int k) __attribute__((always_inline)) {
#pragma GCC unroll 8
    for (int j = Held - 1; j >= 1; --j) {
      hRe[j][k] = hRe[j - 1][k];
      hIm[j][k] = hIm[j - 1][k];
    }
    if constexpr (Held > 0) {
      hRe[0][k] = nx[k];
      hIm[0][k] = ny[k];
    }
    x[k] = nx[k];
    y[k] = ny[k];
    if constexpr (Squares) {
      a[k] = na[k];
      b[k] = nb[k];
    }
  };
  // Puts the ended pixels of vector k aside and starts the lanes' staged pixels.
  auto restart = [&](int k) __attribute__((always_inline)) {
    const M ended = exits[k];
    V::MaskStore(s.DoneRe[k], ended, nx[k]);
    V::MaskStore(s.DoneIm[k], ended, ny[k]);
    V::MaskStore(s.DoneStep[k], ended, V::Set(static_cast<double>(step)));
#pragma GCC unroll 8
    for (int j = 0; j < Held; ++j) {
      V::MaskStore(s.DoneHRe[j][k], ended, hRe[j][k]);
      V::MaskStore(s.DoneHIm[j][k], ended, hIm[j][k]);
    }
    commit(k);
    x[k] = V::Select(ended, V::Load(s.StagedRe[k]), x[k]);
    y[k] = V::Select(ended, V::Load(s.StagedIm[k]), y[k]);
    if (mapField == 1) c[k] = {V::Select(ended, x[k], c[k].re), V::Select(ended, y[k], c[k].im)};
    if (mapField == 2) d[k] = {V::Select(ended, x[k], d[k].re), V::Select(ended, y[k], d[k].im)};
    const D fresh = V::Set(HistoryStart);
#pragma GCC unroll 8
    for (int j = 0; j < Held; ++j) {
      hRe[j][k] = V::Select(ended, fresh, hRe[j][k]);
      hIm[j][k] = V::Select(ended, fresh, hIm[j][k]);
    }
    if constexpr (Squares) {
      // The squares of the other lanes come out the same.
      a[k] = x[k] * x[k];
      b[k] = y[k] * y[k];
    }
  };

  uint64_t unhandled = 0;
#pragma GCC unroll 1
  for (bool more = true; more;) {
#pragma GCC unroll 8
    for (int k = 0; k < K; ++k) {
      if constexpr (!Squares) {
        a[k] = x[k] * x[k];
        b[k] = y[k] * y[k];
      }
      const TVComplex<V> next = VStep<V, Formula>({x[k], y[k]}, a[k], b[k], c[k], d[k], n, m);
      D r2;
      if constexpr (Squares) {
        na[k] = next.re * next.re;
        nb[k] = next.im * next.im;
        r2 = nb[k] + na[k];
      } else {
        r2 = next.im * next.im + next.re * next.re;
      }
      // Beyond the circle, or not a number at all: a fault, which the lane's settling sorts out.
      M exit = V::NotLessEq(r2, outer2);
      if constexpr (Held > 0) {
        // The nearest entry decides: one comparison for the whole history. Distances are never
        // NaN here (a NaN iterate already exits through r2).
        const auto distance = [&](int j) __attribute__((always_inline)) {
          const D di = hIm[j][k] - next.im;
          const D dr = hRe[j][k] - next.re;
          return di * di + dr * dr;
        };
        D nearest = distance(0);
#pragma GCC unroll 8
        for (int j = 1; j < Held; ++j) nearest = V::Min(nearest, distance(j));
        exit = V::Or(exit, V::Less(nearest, inner2));
      }
      if constexpr (Ring) {
        M hit = V::None();
        for (int j = 1; j <= mc; ++j) {
          const D di = V::Load(s.RingIm[write + j][k]) - next.im;
          const D dr = V::Load(s.RingRe[write + j][k]) - next.re;
          hit = V::Or(hit, V::Less(di * di + dr * dr, inner2));
        }
        exit = V::Or(exit, hit);
        V::Store(s.RingRe[write][k], next.re);
        V::Store(s.RingRe[write + ringSize][k], next.re);
        V::Store(s.RingIm[write][k], next.im);
        V::Store(s.RingIm[write + ringSize][k], next.im);
      }
      // A lane without a pixel is never flagged.
      nx[k] = next.re;
      ny[k] = next.im;
      exits[k] = Held > 0 || Ring ? V::And(exit, active[k]) : exit;
    }
    ++step;
    if constexpr (Ring) write = write == 0 ? ringSize - 1 : write - 1;
    M any = exits[0];
#pragma GCC unroll 8
    for (int k = 1; k < K; ++k) any = V::Or(any, exits[k]);
    more = step != event;
    if (V::Any(any)) {
#pragma GCC unroll 8
      for (int k = 0; k < K; ++k) unhandled |= static_cast<uint64_t>(V::Bits(exits[k])) << (k * L);
      // At the event the loop is left with the step not taken over, as the settling needs.
      if (!Restarts || !more || (unhandled & ~staged) != 0) break;
#pragma GCC unroll 8
      for (int k = 0; k < K; ++k) restart(k);
      staged &= ~unhandled;
      done |= unhandled;
      unhandled = 0;
      continue;
    }
    if (!more) break;
#pragma GCC unroll 8
    for (int k = 0; k < K; ++k) commit(k);
  }

#pragma GCC unroll 8
  for (int k = 0; k < K; ++k) {
    if constexpr (Held > 0) {
      // The oldest entry before the step goes one deeper, where the settling finds it.
      V::Store(s.HRe[Held][k], hRe[Held - 1][k]);
      V::Store(s.HIm[Held][k], hIm[Held - 1][k]);
    }
    commit(k);
    V::Store(s.X[k], x[k]);
    V::Store(s.Y[k], y[k]);
    if constexpr (Restarts) {
      V::Store(s.CRe[k], c[k].re);
      V::Store(s.CIm[k], c[k].im);
      V::Store(s.DRe[k], d[k].re);
      V::Store(s.DIm[k], d[k].im);
    }
#pragma GCC unroll 8
    for (int j = 0; j < Held; ++j) {
      V::Store(s.HRe[j][k], hRe[j][k]);
      V::Store(s.HIm[j][k], hIm[j][k]);
    }
  }
  s.Staged = staged;
  s.Done = done;
  s.Exits = unhandled;
  return step;
}

template <class V, int Formula, int Depth>
bool RunBand(const TFastBand& job) {
  using TState = TLanes<V, Formula, Depth>;
  constexpr int Lanes = TState::Count;
  constexpr bool Ring = TState::Ring;
  constexpr int Held = TState::Held;

  TState s;
  TPendingEscapes pending;
  // The pixel each lane runs, and the one it has staged.
  int64_t start[Lanes];
  int column[Lanes], row[Lanes];
  int stagedColumn[Lanes] = {}, stagedRow[Lanes] = {};

  const int mc = Ring ? job.MaxCycle : Held;
  const int ringSize = mc + 1;
  int write = 0;  // ring position of the next iterate

  const int64_t lastStep = job.MaxDepth - 1;
  const double outer2 = job.Outer2;
  const double inner2 = job.Inner2;
  const bool fractional = job.Fractional;
  const double maxDepth = job.MaxDepth;
  float* const depths = job.Depths;
  int32_t* const cycles = job.Cycles;
  const int64_t stride = job.Stride;
  int* const remaining = job.Remaining;
  const int64_t total = static_cast<int64_t>(job.Columns) * job.Rows;
  int64_t handedOut = 0;
  int nextColumn = 0, nextRow = 0;
  int running = 0;  // pixels handed out and not yet finished, staged ones included
  int64_t step = 0;

  // The band's next pixel, or false when none is left.
  auto take = [&](double& re, double& im, int& pixelColumn, int& pixelRow)
                  __attribute__((always_inline)) {
    if (handedOut == total) return false;
    re = job.ColumnRe[nextColumn];
    im = job.RowIm[nextRow];
    pixelColumn = nextColumn;
    pixelRow = nextRow;
    ++running;
    ++handedOut;
    if (++nextRow == job.Rows) {
      nextRow = 0;
      ++nextColumn;
    }
    return true;
  };
  // Starts a pixel at (re, im) in `lane`, or parks the lane on a fixed point of its formula
  // (where it never escapes; its cycles are masked).
  auto place = [&](int lane, bool parked, double re, double im) __attribute__((always_inline)) {
    const uint64_t bit = uint64_t{1} << lane;
    if (parked) {
      s.Active &= ~bit;
      re = im = 0.0;
      TState::At(s.CRe, lane) = ParkedCR<Formula>;
      TState::At(s.CIm, lane) = 0.0;
      TState::At(s.DRe, lane) = TState::At(s.DIm, lane) = 0.0;
    } else {
      s.Active |= bit;
      start[lane] = step;
      if (job.MapField == 1) {
        TState::At(s.CRe, lane) = re;
        TState::At(s.CIm, lane) = im;
      }
      if (job.MapField == 2) {
        TState::At(s.DRe, lane) = re;
        TState::At(s.DIm, lane) = im;
      }
    }
    TState::At(s.X, lane) = re;
    TState::At(s.Y, lane) = im;
    for (int j = 0; j < Held; ++j)
      TState::At(s.HRe[j], lane) = TState::At(s.HIm[j], lane) = HistoryStart;
    if constexpr (Ring) {
      for (int p = 0; p < 2 * ringSize; ++p)
        TState::At(s.RingRe[p], lane) = TState::At(s.RingIm[p], lane) = HistoryStart;
    }
  };
  // Starts the next pixel in `lane`: its staged one if it has one, else the band's next.
  auto next = [&](int lane) __attribute__((always_inline)) {
    const uint64_t bit = uint64_t{1} << lane;
    if (s.Staged & bit) {
      s.Staged &= ~bit;
      column[lane] = stagedColumn[lane];
      row[lane] = stagedRow[lane];
      place(lane, false, TState::At(s.StagedRe, lane), TState::At(s.StagedIm, lane));
      return;
    }
    double re = 0.0, im = 0.0;
    const bool got = take(re, im, column[lane], row[lane]);
    place(lane, !got, re, im);
  };
  // The step at which the first running lane reaches the limit.
  auto firstDeadline = [&] {
    int64_t first = INT64_MAX;
    for (int lane = 0; lane < Lanes; ++lane)
      first = std::min(first, ((s.Active >> lane) & 1u) ? start[lane] + lastStep : INT64_MAX);
    return first;
  };
  // Stores the outcome of a lane's pixel that a step flagged (or that reached the limit):
  // the reference's tests, in its order, on the lane's numbers: a fault, an escape, the first
  // history entry within InnerDist, the limit. `before(j)` gives the history entry j as it was
  // before the step, re and im. Returns false (never, as the flags are exact) when none holds.
  auto finish = [&](int lane, int64_t steps, double re, double im, auto before)
                    __attribute__((always_inline)) {
    const int64_t cell = column[lane] * stride + row[lane];
    const double r2 = im * im + re * re;
    const bool fault = !std::isfinite(re) | !std::isfinite(im) | !std::isfinite(r2);
    const bool escape = !fault & (r2 > outer2);
    // Worked out without branches where it can be: the outcomes come in no order a predictor
    // could learn.
    int32_t period = 0;
    if constexpr (Ring) {
      for (int j = 0; j < mc; ++j) {
        const auto [hr, hi] = before(j);
        const double di = hi - im;
        const double dr = hr - re;
        if (di * di + dr * dr < inner2) {
          period = j + 1;
          break;
        }
      }
    } else {
#pragma GCC unroll 8
      for (int j = Held - 1; j >= 0; --j) {
        const auto [hr, hi] = before(j);
        const double di = hi - im;
        const double dr = hr - re;
        period = di * di + dr * dr < inner2 ? j + 1 : period;
      }
    }
    period = fault | escape ? 0 : period;
    const bool limit = !fault & !escape & (period == 0) & (steps == lastStep);
    if (!fault & !escape & (period == 0) & !limit) return false;

    // Fractional escapes are stored when the list is flushed; until then their cell holds 0.
    const bool deferred = escape & fractional;
    if (pending.Count == TPendingEscapes::Capacity) pending.Flush(job);
    pending.Cell[pending.Count] = cell;
    pending.Steps[pending.Count] = static_cast<double>(steps);
    pending.R2[pending.Count] = r2;
    pending.Count += deferred;
    double depth = static_cast<double>(period != 0 ? -steps : steps);
    // The limit stores 0 (its depth would equal MaxDepth).
    depth = limit | deferred ? 0.0 : depth;
    depths[cell] = static_cast<float>(depth / maxDepth);
    cycles[cell] = period;
    --running;
    if (--remaining[column[lane]] == 0) {
      pending.Flush(job);
      job.ColumnDone(job.Context, column[lane]);
    }
    return true;
  };

  s.Active = s.Staged = s.Done = s.Exits = 0;
  for (int lane = 0; lane < Lanes; ++lane) {
    TState::At(s.CRe, lane) = job.CR;
    TState::At(s.CIm, lane) = job.CI;
    TState::At(s.DRe, lane) = job.DR;
    TState::At(s.DIm, lane) = job.DI;
    next(lane);
  }

  int64_t deadline = firstDeadline();
  while (running > 0) {
    // Every running lane stages its next pixel while there are any.
    for (uint64_t lanes = TState::Restarts ? s.Active & ~s.Staged : 0;
         lanes != 0 && handedOut < total; lanes &= lanes - 1) {
      const int lane = __builtin_ctzll(lanes);
      if (!take(TState::At(s.StagedRe, lane), TState::At(s.StagedIm, lane), stagedColumn[lane],
                stagedRow[lane]))
        break;
      s.Staged |= uint64_t{1} << lane;
    }

    const int64_t event = deadline < step + StopCheckSteps ? deadline : step + StopCheckSteps;
    step = Advance<V, Formula, Depth>(s, job, write, step, event);
    if (job.Stop && job.Stop->load(std::memory_order_relaxed)) return false;

    // The pixels the step loop put aside; their lanes run their staged pixels since then.
    for (uint64_t lanes = s.Done; lanes != 0; lanes &= lanes - 1) {
      const int lane = __builtin_ctzll(lanes);
      const int64_t ended = static_cast<int64_t>(TState::At(s.DoneStep, lane));
      finish(lane, ended - start[lane], TState::At(s.DoneRe, lane), TState::At(s.DoneIm, lane),
             [&](int j) {
               return std::pair{TState::At(s.DoneHRe[j], lane), TState::At(s.DoneHIm[j], lane)};
             });
      start[lane] = ended;
      column[lane] = stagedColumn[lane];
      row[lane] = stagedRow[lane];
    }
    s.Done = 0;

    uint64_t settle = s.Exits;
    const bool atDeadline = step == deadline;
    if (atDeadline)
      for (int lane = 0; lane < Lanes; ++lane)
        settle |= static_cast<uint64_t>(start[lane] + lastStep == step) << lane;
    settle &= s.Active;
    // In the ring, the history as it was before this step, newest first, starts here.
    const int previous = write == ringSize - 1 ? 0 : write + 1;
    for (; settle != 0; settle &= settle - 1) {
      const int lane = __builtin_ctzll(settle);
      const bool finished = finish(
          lane, step - start[lane], TState::At(s.X, lane), TState::At(s.Y, lane), [&](int j) {
            if constexpr (Ring)
              return std::pair{TState::At(s.RingRe[previous + 1 + j], lane),
                               TState::At(s.RingIm[previous + 1 + j], lane)};
            else
              return std::pair{TState::At(s.HRe[1 + j], lane), TState::At(s.HIm[1 + j], lane)};
          });
      if (finished) next(lane);
    }
    // A lane that ended before its limit leaves the deadline early; it is found again then.
    if (atDeadline) deadline = firstDeadline();
  }
  pending.Flush(job);
  return true;
}

// The band's formula, one with a vector step (FastKernelVectorises sends the others elsewhere).
template <class V, int Depth, int Formula = 0>
bool RunBandFormula(const TFastBand& job) {
  if constexpr (Formula == FormulaCount) {
    __builtin_trap();
  } else {
    if constexpr (Formulas[Formula].VectorStep)
      if (job.Formula == Formula) return RunBand<V, Formula, Depth>(job);
    return RunBandFormula<V, Depth, Formula + 1>(job);
  }
}

template <class V>
bool RunFastBand(const TFastBand& job) {
  switch (job.MaxCycle) {
    case 0:
      return RunBandFormula<V, 0>(job);
    case 1:
      return RunBandFormula<V, 1>(job);
    case 2:
      return RunBandFormula<V, 2>(job);
    case 3:
      return RunBandFormula<V, 3>(job);
    case 4:
      return RunBandFormula<V, 4>(job);
    default:
      return RunBandFormula<V, RingHistory>(job);
  }
}

template <class V>
void RunFastFunctions(TFastFunction function, const double* x, const double* y, double* out,
                      int count) {
  constexpr int L = V::L;
  for (int i = 0; i < count; i += L) {
    alignas(64) double args[L], powers[L], results[L];
    const int lanes = std::min(L, count - i);
    for (int l = 0; l < L; ++l) {
      args[l] = l < lanes ? x[i + l] : 0.0;
      powers[l] = l < lanes && function == TFastFunction::Pow ? y[i + l] : 1.0;
    }
    const typename V::D arg = V::Load(args);
    typename V::D result, sin, cos;
    switch (function) {
      case TFastFunction::Exp:
        result = V::Exp(arg);
        break;
      case TFastFunction::Sin:
      case TFastFunction::Cos:
        V::SinCos(arg, sin, cos);
        result = function == TFastFunction::Sin ? sin : cos;
        break;
      case TFastFunction::Sinh:
        result = V::Sinh(arg);
        break;
      case TFastFunction::Cosh:
        result = V::Cosh(arg);
        break;
      case TFastFunction::Pow:
        result = V::Pow(arg, V::Load(powers));
        break;
      default:
        result = V::Asin(arg);
        break;
    }
    V::Store(results, result);
    for (int l = 0; l < lanes; ++l) out[i + l] = results[l];
  }
}

}  // namespace
